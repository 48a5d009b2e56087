#include "message_boxes.h"

#include <QMessageBox>

#include <utility>

namespace lumox {

namespace {

MessageBoxes::Presenter &presenter()
{
    static MessageBoxes::Presenter current;
    return current;
}

void showModalBox(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

void MessageBoxes::exclamation(QWidget *parent, const QString &title, const QString &text)
{
    if (presenter())
        presenter()(parent, title, text);
    else
        showModalBox(parent, title, text);
}

void MessageBoxes::setPresenter(Presenter replacement)
{
    presenter() = std::move(replacement);
}

} // namespace lumox
