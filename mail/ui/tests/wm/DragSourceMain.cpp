// A file manager's part in a drag, for the tests that drop files on the program's windows under
// a real X server: a small window at the given place whose press and move drag the files named
// on the command line, offered as a file manager offers them (a list of URLs and their paths as
// plain text). Prints "ready" once the window is shown and, when the drag ends, the action the
// target took ("copy", "move", "link" or "none"); it then stays to hand over the data until it
// is ended.
//
//   drag-source X Y FILE...
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class Source : public QWidget {
public:
    explicit Source(QStringList files)
        : QWidget(nullptr, Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint),
          m_files(std::move(files)) {}

protected:
    void mousePressEvent(QMouseEvent* e) override { m_pressedAt = e->position().toPoint(); }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (m_dragged || !(e->buttons() & Qt::LeftButton) ||
            (e->position().toPoint() - m_pressedAt).manhattanLength() <
                QApplication::startDragDistance())
            return;
        m_dragged = true;
        auto* mime = new QMimeData;
        QList<QUrl> urls;
        for (const QString& f : m_files)
            urls << QUrl::fromLocalFile(f);
        mime->setUrls(urls);
        mime->setText(m_files.join(QLatin1Char('\n')));
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction,
                                                 Qt::CopyAction);
        const char* name = action == Qt::CopyAction   ? "copy"
                           : action == Qt::MoveAction ? "move"
                           : action == Qt::LinkAction ? "link"
                                                      : "none";
        std::printf("%s\n", name);
        std::fflush(stdout);
        // The target fetches the files from the source after the drop, as it does from a file
        // manager that goes on running: the source stays until the test ends it.
        QTimer::singleShot(20000, qApp, &QCoreApplication::quit);
    }

private:
    QStringList m_files;
    QPoint m_pressedAt;
    bool m_dragged = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return 2;
    Source source(args.mid(3));
    source.setGeometry(args[1].toInt(), args[2].toInt(), 120, 80);
    source.setStyleSheet("background: #4a7");
    source.show();
    QTimer::singleShot(200, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    return app.exec();
}
