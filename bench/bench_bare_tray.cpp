// The baseline of bench_startup: a bare Qt Widgets program with one tray icon and nothing else.
#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::darkGray);
    QSystemTrayIcon icon { QIcon(pixmap) };
    icon.show();
    return QApplication::exec();
}
