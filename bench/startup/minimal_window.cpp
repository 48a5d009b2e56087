// The yardstick for start-up time: the least a Qt Widgets program does to
// put one window of the splash window's size on the screen.
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(306, 277);
    window.show();
    return QApplication::exec();
}
