// Renders the program's mark as a PNG for the desktop's icon theme, at build time: the icon is drawn by
// the same code as the mark in the views, so there is no artwork to keep in step.
//
// usage: marrowvale-render-icon OUTPUT.png SIZE

#include "ui/kit/AppMark.h"

#include <QApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    bool ok = false;
    const int size = arguments.size() == 3 ? arguments[2].toInt(&ok) : 0;
    if (!ok || size <= 0) {
        std::fputs("usage: marrowvale-render-icon OUTPUT.png SIZE\n", stderr);
        return 2;
    }
    mv::AppMark mark(size);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    mark.render(&image, {}, {}, QWidget::DrawChildren);
    return image.save(arguments[1]) ? 0 : 1;
}
