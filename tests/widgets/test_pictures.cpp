#include "resources/Pictures.h"

#include <QDirIterator>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

// Every picture of the windows with the size of the control that shows it.
const std::map<QString, QSize>& pictures() {
    static const std::map<QString, QSize> all = [] {
        std::map<QString, QSize> list;
        for (const char* name : {"sunny", "variable", "overcast", "rainy", "rainsnow", "snow"}) {
            list[QStringLiteral(":/weather/%1_177.svg").arg(name)] = QSize(177, 177);
            list[QStringLiteral(":/weather/%1_63.svg").arg(name)] = QSize(63, 51);
        }
        for (const char* name : {"quick_down", "slow_down", "quick_up", "slow_up"})
            list[QStringLiteral(":/trend/%1.svg").arg(name)] = QSize(17, 33);
        list[":/trend/constant.svg"] = QSize(33, 33);
        for (const char* name : {"mount_low", "mount_mid", "mount_high"})
            list[QStringLiteral(":/altimeter/%1.svg").arg(name)] = QSize(297, 221);
        list[":/altimeter/arrow_up.svg"] = QSize(16, 16);
        list[":/altimeter/arrow_down.svg"] = QSize(16, 16);
        list[":/thermometer/scale.svg"] = QSize(36, 190);
        list[":/logo/corvasine.svg"] = QSize(241, 33);
        list[":/icons/program.svg"] = QSize(64, 64);
        list[":/icons/about.svg"] = QSize(310, 240);
        return list;
    }();
    return all;
}

QImage render(const QString& path) {
    QSvgRenderer renderer(path);
    QImage image(renderer.defaultSize(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

// Pixels with at least the given opacity (1..255).
int pixelsOfAlpha(const QImage& image, int alpha) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) >= alpha;
    return count;
}

bool onTransparentGround(const QString& path) {
    return path.startsWith(":/trend/") || path.contains("arrow_") || path.contains("thermometer") ||
           path.endsWith("program.svg");
}

} // namespace

TEST(Pictures, EveryPictureIsCompiledInAndListed) {
    initPictures();
    std::set<QString> found;
    QDirIterator it(":/", {"*.svg"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.insert(it.next());
    std::set<QString> expected;
    for (const auto& [path, size] : pictures())
        expected.insert(path);
    EXPECT_EQ(found, expected);
}

TEST(Pictures, EachHasTheSizeOfItsControlAndDrawsSomething) {
    initPictures();
    for (const auto& [path, size] : pictures()) {
        QSvgRenderer renderer(path);
        ASSERT_TRUE(renderer.isValid()) << path.toStdString();
        EXPECT_EQ(renderer.defaultSize(), size) << path.toStdString();
        const QImage image = render(path);
        const int area = size.width() * size.height();
        // Arrows, the scale and the round icon stand on a transparent ground; the other
        // pictures fill their control.
        if (onTransparentGround(path)) {
            EXPECT_GT(pixelsOfAlpha(image, 1), area / 20) << path.toStdString();
            EXPECT_LT(pixelsOfAlpha(image, 1), area * 9 / 10) << path.toStdString();
        } else {
            EXPECT_GT(pixelsOfAlpha(image, 255), area * 95 / 100) << path.toStdString();
        }
    }
}

TEST(Pictures, NoTwoPicturesAreAlike) {
    initPictures();
    std::map<QString, QImage> images;
    for (const auto& [path, size] : pictures())
        images[path] = render(path);
    for (auto a = images.begin(); a != images.end(); ++a)
        for (auto b = std::next(a); b != images.end(); ++b)
            EXPECT_NE(a->second, b->second)
                << a->first.toStdString() << " = " << b->first.toStdString();
}
