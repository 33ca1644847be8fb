#include "ui/readings/svg_icon.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <utility>

#include "ui/theme/theme.h"

// The pictures are compiled into a static library: their registration must be referenced.
static void RegisterBundledIcons() {
    Q_INIT_RESOURCE(readings_icons);
}

namespace rv7342 {

namespace {

// The pictures' strokes, and the lighter ones they are drawn with on a dark palette.
const std::pair<QByteArray, QByteArray> kDarkStrokes[] = {{"#3a4a5c", "#d4dce6"},
                                                          {"#c02020", "#ff7070"}};

QByteArray ForDarkPalette(QByteArray picture) {
    for (const auto& [light, dark] : kDarkStrokes) {
        picture.replace(light, dark);
    }
    return picture;
}

QByteArray Picture(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Draws the picture as the application's palette is when it is drawn: light or dark.
class SvgIconEngine : public QIconEngine {
  public:
    explicit SvgIconEngine(const QString& path)
        : path_(path), light_(Picture(path)), dark_(ForDarkPalette(Picture(path))) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        QSvgRenderer& renderer = IsDark(QApplication::palette()) ? dark_ : light_;
        if (!renderer.isValid()) {
            return;
        }
        painter->save();
        // A disabled command's icon is drawn faint, as the style's own are.
        if (mode == QIcon::Disabled) {
            painter->setOpacity(0.35);
        }
        renderer.render(painter, rect);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return Drawn(size, mode, state);
    }

    // Drawn at the screen's density, in as many device pixels as the icon covers: Qt before
    // 6.8 gives the size in device pixels already, later versions in the window's pixels.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        QPixmap picture = Drawn(size * scale, mode, state);
        picture.setDevicePixelRatio(scale);
        return picture;
#else
        (void)scale;
        return Drawn(size, mode, state);
#endif
    }

    bool isNull() override {
        return !light_.isValid();
    }
    QIconEngine* clone() const override {
        return new SvgIconEngine(path_);
    }
    QString key() const override {
        return QStringLiteral("rv7342-svg");
    }

  private:
    QPixmap Drawn(const QSize& pixels, QIcon::Mode mode, QIcon::State state) {
        if (!light_.isValid() || pixels.isEmpty()) {
            return {};
        }
        QPixmap picture(pixels);
        picture.fill(Qt::transparent);
        {
            QPainter painter(&picture);
            paint(&painter, picture.rect(), mode, state);
        }
        return picture;
    }

    QString path_;
    QSvgRenderer light_;
    QSvgRenderer dark_;
};

}  // namespace

QIcon BundledIcon(const QString& name) {
    static const bool registered = (RegisterBundledIcons(), true);
    (void)registered;
    return QIcon(new SvgIconEngine(QStringLiteral(":/icons/%1.svg").arg(name)));
}

}  // namespace rv7342
