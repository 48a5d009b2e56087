// The yardstick the benchmarks hold the program against: the least a Qt Widgets program does
// to show one window like the splash window (frameless, 306 x 277 pixels) holding one text
// label. The label makes it load and draw a font, as every real window does.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setFixedSize(306, 277);
    QLabel label(QStringLiteral("Lumox 2000"), &window);
    label.setGeometry(window.rect());
    label.setAlignment(Qt::AlignCenter);
    window.show();
    return QApplication::exec();
}
