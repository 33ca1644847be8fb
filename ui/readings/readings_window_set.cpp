#include "ui/readings/readings_window_set.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>

#include "desktop/local_text.h"

namespace rv7342 {

ReadingsWindowSet::ReadingsWindowSet(const UnitTable& names, QWidget* owner)
    : QObject(owner), names_(names), owner_(owner) {}

ReadingsWindow* ReadingsWindowSet::OpenDataFile(const QString& path) {
    // A name relative to the working folder, as a command line gives it, is shown in full,
    // with the system's separators.
    const QString absolute = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    std::vector<Record> records;
    const Failure failure = ReadDataFile(LocalPath(absolute), records);
    return Show(absolute, std::move(records), failure);
}

ReadingsWindow* ReadingsWindowSet::OpenTransferredRecords(const QString& path, int count) {
    std::vector<Record> records;
    const Failure failure = ReadDataFileRecords(LocalPath(path), count, records);
    return Show(path, std::move(records), failure);
}

namespace {
QString WindowKey(const QString& path) {
    const QFileInfo file(path);
    const QString canonical = file.canonicalFilePath();
    return canonical.isEmpty() ? file.absoluteFilePath() : canonical;
}
}  // namespace

ReadingsWindow* ReadingsWindowSet::Find(const QString& path) const {
    const auto found = windows_.find(WindowKey(path));
    return found == windows_.end() ? nullptr : found->second.data();
}

void ReadingsWindowSet::CloseAll() {
    for (auto& [path, window] : windows_) {
        if (window) {
            window->close();
        }
    }
}

ReadingsWindow* ReadingsWindowSet::Show(const QString& path, std::vector<Record> records,
                                        const Failure& failure) {
    ReadingsWindow* window = nullptr;
    const std::size_t read = records.size();
    if (read > 0) {
        window = WindowFor(path);
        ReadingsDocument document(LocalPath(path), records, names_);
        records = {};  // a long file need not be held twice
        window->ShowReadings(std::move(document));
        window->show();
        window->raise();
        window->activateWindow();
    }
    if (failure) {
        QString message = FromLocalText(*failure) + QLatin1Char('.');
        if (window) {
            message += QStringLiteral("\n\nThe %1 readings read before it are shown.").arg(read);
        }
        Report(window ? static_cast<QWidget*>(window) : owner_, message);
    }
    return window;
}

ReadingsWindow* ReadingsWindowSet::WindowFor(const QString& path) {
    QPointer<ReadingsWindow>& slot = windows_[WindowKey(path)];
    if (!slot) {
        slot = new ReadingsWindow(path, names_, owner_);
        slot->setAttribute(Qt::WA_DeleteOnClose);
        connect(slot, &ReadingsWindow::openRequested, this, [this](const QStringList& paths) {
            for (const QString& dropped : paths) {
                OpenDataFile(dropped);
            }
        });
        PlaceBesideOwner(slot);
    }
    return slot;
}

void ReadingsWindowSet::PlaceBesideOwner(ReadingsWindow* window) const {
    if (!owner_ || !owner_->isVisible()) {
        return;
    }
    const QRect screen = owner_->screen()->availableGeometry();
    const auto open = std::count_if(windows_.begin(), windows_.end(),
                                    [](const auto& entry) { return !entry.second.isNull(); });
    const int cascade = 24 * static_cast<int>(std::max<std::ptrdiff_t>(open - 1, 0));
    QPoint topLeft = owner_->frameGeometry().topRight() + QPoint(1 + cascade, cascade);
    topLeft.setX(std::max(screen.left(), std::min(topLeft.x(), screen.right() - window->width())));
    topLeft.setY(std::max(screen.top(), std::min(topLeft.y(), screen.bottom() - window->height())));
    window->move(topLeft);
}

void ReadingsWindowSet::Report(QWidget* parent, const QString& message) const {
    QMessageBox::warning(parent, QStringLiteral("RV7342 Readings"), message);
}

}  // namespace rv7342
