#include "ui/readings/svg_icon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <memory>

// The pictures are compiled into a static library: their registration must be referenced.
static void RegisterBundledIcons() {
    Q_INIT_RESOURCE(readings_icons);
}

namespace rv7342 {

namespace {

class SvgIconEngine : public QIconEngine {
  public:
    explicit SvgIconEngine(const QString& path) : path_(path), renderer_(path) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        if (!renderer_.isValid()) {
            return;
        }
        painter->save();
        // A disabled command's icon is drawn faint, as the style's own are.
        if (mode == QIcon::Disabled) {
            painter->setOpacity(0.35);
        }
        renderer_.render(painter, rect);
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // Qt versions differ in whether `size` is in device pixels already; drawn at `scale` times
    // it, the picture is sharp either way, and QIcon keeps its size on the screen.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        if (!renderer_.isValid() || size.isEmpty()) {
            return {};
        }
        QPixmap picture(size * scale);
        picture.fill(Qt::transparent);
        {
            QPainter painter(&picture);
            paint(&painter, picture.rect(), mode, state);
        }
        picture.setDevicePixelRatio(scale);
        return picture;
    }

    bool isNull() override { return !renderer_.isValid(); }
    QIconEngine* clone() const override { return new SvgIconEngine(path_); }
    QString key() const override { return QStringLiteral("rv7342-svg"); }

  private:
    QString path_;
    QSvgRenderer renderer_;
};

}  // namespace

QIcon BundledIcon(const QString& name) {
    static const bool registered = (RegisterBundledIcons(), true);
    (void)registered;
    return QIcon(new SvgIconEngine(QStringLiteral(":/icons/%1.svg").arg(name)));
}

}  // namespace rv7342
