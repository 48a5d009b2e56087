#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace lumox {

// Every message the program shows goes through here: a modal box with an
// exclamation icon, a title, a text and a single OK button. Tests replace the
// presenter so that nothing blocks on a modal box.
class MessageBoxes
{
public:
    using Presenter = std::function<void(QWidget *parent, const QString &title, const QString &text)>;

    // Shows the message and returns when the user has closed it.
    static void exclamation(QWidget *parent, const QString &title, const QString &text);

    // Replaces the presenter; an empty function restores the real message box.
    static void setPresenter(Presenter replacement);
};

} // namespace lumox
