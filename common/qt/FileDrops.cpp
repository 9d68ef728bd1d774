#include "FileDrops.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

#include "Files.h"

namespace {

std::string DroppedFile(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls()) return {};
    const QUrl first = data->urls().value(0);
    if (!first.isLocalFile()) return {};
    const std::string path = first.toLocalFile().toStdString();
    return FileExists(path) ? path : std::string();
}

class FileDropFilter : public QObject {
public:
    FileDropFilter(QWidget& window, std::function<void(const std::string&)> take)
        : QObject(&window), take_(std::move(take)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::DragEnter) {
            auto* enter = static_cast<QDragEnterEvent*>(event);
            if (DroppedFile(enter->mimeData()).empty()) enter->ignore();
            else enter->acceptProposedAction();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const std::string path = DroppedFile(drop->mimeData());
            if (path.empty()) return true;
            drop->acceptProposedAction();
            take_(path);
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(const std::string&)> take_;
};

}  // namespace

void AcceptFileDrops(QWidget& window, std::function<void(const std::string& path)> take)
{
    window.setAcceptDrops(true);
    for (QLineEdit* box : window.findChildren<QLineEdit*>()) box->setAcceptDrops(false);
    window.installEventFilter(new FileDropFilter(window, std::move(take)));
}
