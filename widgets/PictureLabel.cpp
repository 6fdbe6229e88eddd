#include "widgets/PictureLabel.h"

#include "resources/Pictures.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

QPixmap renderPicture(const QString& path, QSize size) {
    static const bool ready = (initPictures(), true);
    Q_UNUSED(ready);
    if (!QFile::exists(path)) return {};
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) return {};
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QLabel* pictureLabel(QWidget* parent, const char* name, const QString& path, QRect place,
                     bool visible) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(place);
    label->setPixmap(renderPicture(path, place.size()));
    label->setVisible(visible);
    return label;
}
