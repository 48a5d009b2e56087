#include "form_builder.h"

#include "banner_slot.h"
#include "classic_look.h"
#include "controls.h"
#include "qt_text.h"
#include "twips.h"

#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QString>

#include <cstddef>
#include <limits>

namespace lumox {

namespace {

QColor qColour(layout::Colour colour)
{
    return QColor(colour.red, colour.green, colour.blue);
}

template <typename Widget> Widget *named(Widget *widget, const layout::Control &control)
{
    widget->setObjectName(qs(control.name));
    if (!control.accessibleName.empty())
        widget->setAccessibleName(qs(control.accessibleName));
    if (!control.accessibleDescription.empty())
        widget->setAccessibleDescription(qs(control.accessibleDescription));
    return widget;
}

// Names the widget and puts it where the table says.
template <typename Widget> Widget *placed(Widget *widget, const layout::Control &control)
{
    widget->setGeometry(twipsRect(control.rect));
    return named(widget, control);
}

QLabel *makeLabel(const layout::Control &control, QWidget *parent)
{
    auto *label = placed(new QLabel(qs(control.text), parent), control);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette palette = label->palette();
    switch (control.style) {
    case layout::Style::Centred:
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        break;
    case layout::Style::Heading:
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setFont(headingFont());
        palette.setColor(QPalette::WindowText, qColour(layout::headingGrey));
        break;
    case layout::Style::Donation:
        palette.setColor(QPalette::WindowText, qColour(layout::donationBlue));
        break;
    default:
        break;
    }
    label->setPalette(palette);
    return label;
}

QLineEdit *makeTextBox(const layout::Control &control, QWidget *parent)
{
    auto *box = placed(new QLineEdit(parent), control);
    box->setMaxLength(std::numeric_limits<int>::max());
    box->setValidator(new FirstLineOnly(box));
    box->setToolTip(qs(control.toolTip));
    return box;
}

QPushButton *makeButton(const layout::Control &control, QWidget *parent)
{
    auto *button = placed(new QPushButton(qs(control.text), parent), control);
    // Enter and Esc press no button.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

PictureBox *makePictureBox(const layout::Control &control, QWidget *parent)
{
    const auto border = control.style == layout::Style::Sunken ? PictureBox::Border::Sunken3D
                                                               : PictureBox::Border::None;
    return placed(new PictureBox(border, parent), control);
}

RuleLine *makeRule(const layout::Control &control, QWidget *parent)
{
    const layout::TwipsRect &rect = control.rect;
    auto *line =
        new RuleLine(twipsPoint(rect.left, rect.top), twipsPoint(rect.left + rect.width, rect.top),
                     qColour(layout::headingGrey), parent);
    return named(line, control);
}

TabControl *makeTabControl(const layout::Control &control, QWidget *parent)
{
    auto *tabs = new TabControl(parent);
    tabs->setObjectName(qs(control.name));
    tabs->setGeometry(twipsRect(control.rect));
    // Assistive technologies meet the tab control on its strip of tabs.
    tabs->tabStrip()->setObjectName(qs(control.name) + QStringLiteral("Tabs"));
    tabs->tabStrip()->setAccessibleName(qs(control.accessibleName));
    for (std::size_t i = 0; i < layout::tabCaptions.size(); ++i) {
        QWidget *page = tabs->addPage(qs(layout::tabCaptions[i]));
        page->setObjectName(qs(layout::pageNames[i]));
        page->setAccessibleName(qs(layout::tabCaptions[i]));
    }
    return tabs;
}

BannerSlot *makeBanner(const layout::Control &control, QWidget *parent)
{
    auto *banner = named(new BannerSlot(parent), control);
    // The slot sits at the frame's inner origin, whatever the frame's border.
    const auto *frame = qobject_cast<PictureBox *>(parent);
    const QPoint origin = frame != nullptr ? frame->innerOrigin() : QPoint();
    // A slot never changes its size. Fixed, it spares every banner change a layout request
    // to its frame (and the wake-up of the event loop that posting one costs).
    banner->setFixedSize(twipsRect(control.rect).size());
    banner->move(origin + twipsPoint(control.rect.left, control.rect.top));
    banner->setPixmap(initialBannerPicture());
    return banner;
}

QWidget *makeControl(const layout::Control &control, QWidget *parent)
{
    switch (control.kind) {
    case layout::Kind::Frame:
        return placed(new EtchedFrame(parent), control);
    case layout::Kind::TabControl:
        return makeTabControl(control, parent);
    case layout::Kind::PictureBox:
    case layout::Kind::BannerFrame:
        return makePictureBox(control, parent);
    case layout::Kind::BannerSlot:
        return makeBanner(control, parent);
    case layout::Kind::Label:
        return makeLabel(control, parent);
    case layout::Kind::Line:
        return makeRule(control, parent);
    case layout::Kind::TextBox:
        return makeTextBox(control, parent);
    case layout::Kind::Button:
        return makeButton(control, parent);
    case layout::Kind::Registry:
        break;
    }
    return nullptr;
}

} // namespace

FormControls buildFormControls(QWidget &form, std::span<const layout::Control> table)
{
    FormControls made;
    for (const layout::Control &control : table) {
        QWidget *parent = &form;
        if (!control.parent.empty()) {
            const auto found = made.find(control.parent);
            // The table names each parent before its children.
            Q_ASSERT(found != made.end());
            parent = found != made.end() ? found->second : &form;
        }
        if (auto *tabs = qobject_cast<TabControl *>(parent); tabs != nullptr && control.page >= 0)
            parent = tabs->page(control.page);
        if (QWidget *widget = makeControl(control, parent))
            made.emplace(control.name, widget);
    }
    return made;
}

} // namespace lumox
