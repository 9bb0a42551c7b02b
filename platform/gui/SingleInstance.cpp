#include "platform/gui/SingleInstance.h"

#include "platform/base/Sync.h"
#include "platform/gui/Frame.h"
#include "platform/gui/WinApp.h"
#include "platform/gui/WndPrivate.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

namespace {

// "QMH1", then records of a kind byte, a little-endian 32-bit length and that many bytes:
// 'R' restore, 'E' a shell command, 'Z' the end of the request.
const char kMagic[] = "QMH1";
const size_t kMagicSize = 4;
const size_t kHeaderSize = 5;

void PutRecord(std::string& out, char kind, const CString& payload) {
    uint32_t n = (uint32_t)payload.GetLength();
    out += kind;
    for (int i = 0; i < 4; ++i)
        out += (char)((n >> (8 * i)) & 0xFF);
    out.append(payload.GetString(), n);
}

// Whether a channel name can be part of a file name as it is.
CString SafeChannel(LPCTSTR lpszChannel) {
    CString out;
    for (const unsigned char* p = (const unsigned char*)(lpszChannel ? lpszChannel : ""); *p; ++p) {
        if ((*p >= '0' && *p <= '9') || (*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z') ||
            *p == '-' || *p == '_' || *p == '.')
            out += (char)*p;
        else {
            CString hex;
            hex.Format("%%%02X", *p);
            out += hex;
        }
    }
    return out;
}

UINT g_readLimitMs = 3000;

} // namespace

UINT CSingleInstance::SetReadLimitMs(UINT nMs) {
    return std::exchange(g_readLimitMs, nMs);
}

std::string CSingleInstance::Encode(const CHandOverRequest& request) {
    std::string out(kMagic, kMagicSize);
    if (request.bRestore)
        PutRecord(out, 'R', CString());
    for (const CString& cmd : request.ddeCommands)
        PutRecord(out, 'E', cmd);
    PutRecord(out, 'Z', CString());
    return out;
}

CSingleInstance::DecodeResult CSingleInstance::Decode(const std::string& bytes,
                                                      CHandOverRequest& request) {
    request = CHandOverRequest();
    size_t have = std::min(bytes.size(), kMagicSize);
    if (bytes.compare(0, have, kMagic, have) != 0)
        return decodeBad;
    size_t pos = kMagicSize;
    while (pos <= bytes.size()) {
        if (bytes.size() - pos < kHeaderSize)
            return decodeIncomplete;
        char kind = bytes[pos];
        uint32_t n = 0;
        for (int i = 0; i < 4; ++i)
            n |= (uint32_t)(unsigned char)bytes[pos + 1 + i] << (8 * i);
        pos += kHeaderSize;
        switch (kind) {
        case 'R':
        case 'Z':
            if (n != 0 || (kind == 'R' && request.bRestore))
                return decodeBad; // restored once at most, which keeps a request bounded
            if (kind == 'Z')
                return pos == bytes.size() ? decodeComplete : decodeBad;
            request.bRestore = TRUE;
            break;
        case 'E':
            if (n == 0 || n > (uint32_t)kMaxCommandLength ||
                request.ddeCommands.size() >= (size_t)kMaxCommands)
                return decodeBad;
            if (bytes.size() - pos < n)
                return decodeIncomplete;
            if (bytes.find('\0', pos) < pos + n)
                return decodeBad; // a command is text
            request.ddeCommands.emplace_back(CString(bytes.data() + pos, (int)n));
            pos += n;
            break;
        default:
            return decodeBad;
        }
    }
    return decodeIncomplete;
}

CString CSingleInstance::OpenCommand(LPCTSTR lpszPathName) {
    CString cmd;
    cmd.Format("[open(\"%s\")]", lpszPathName ? lpszPathName : "");
    return cmd;
}

CString CSingleInstance::SocketPath(LPCTSTR lpszChannel, LPCTSTR lpszFolder) {
    CString folder;
    if (lpszFolder && *lpszFolder) {
        folder = lpszFolder;
    } else {
        std::string runtime;
        if (!GetRuntimeFolder(runtime))
            return CString();
        folder = AfxFromQt(QString::fromLocal8Bit(runtime.c_str()));
    }
    return folder + "/handover-" + SafeChannel(lpszChannel);
}

CSingleInstance::CSingleInstance(LPCTSTR lpszChannel, LPCTSTR lpszFolder)
    : m_strServer(SocketPath(lpszChannel, lpszFolder)) {}

CSingleInstance::~CSingleInstance() {
    if (m_server)
        m_server->close(); // removes the socket file
}

BOOL CSingleInstance::IsListening() const {
    return m_server && m_server->isListening();
}

BOOL CSingleInstance::Listen() {
    if (IsListening())
        return TRUE;
    if (m_strServer.IsEmpty())
        return FALSE;
    AfxEnsureGuiApp();
    QString name = AfxToQt(m_strServer);
    // No socket options: with them the server is made elsewhere and renamed into place, which
    // would take the name from a copy already listening. The runtime folder is the user's own.
    m_server = std::make_unique<QLocalServer>();
    if (!m_server->listen(name)) {
        // A socket file nobody answers on was left by a copy that ended abruptly.
        QLocalSocket probe;
        probe.connectToServer(name);
        if (probe.waitForConnected(500)) {
            m_server.reset();
            return FALSE;
        }
        QLocalServer::removeServer(name);
        if (!m_server->listen(name)) {
            m_server.reset();
            return FALSE;
        }
    }
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(),
                     [this] { OnConnection(); });
    return TRUE;
}

void CSingleInstance::OnConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        if (m_nOpen >= kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_nOpen;
        // Counted until the socket goes, however the connection ends.
        QObject::connect(socket, &QObject::destroyed, m_server.get(), [this] { --m_nOpen; });
        auto buffer = std::make_shared<std::string>();
        auto answered = std::make_shared<bool>(false);
        // A peer that has not sent its whole request within the read limit is dropped.
        QTimer::singleShot((int)g_readLimitMs, socket, [socket, answered] {
            if (*answered)
                return;
            socket->abort();
            socket->deleteLater();
        });
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket, buffer, answered] {
            QByteArray chunk = socket->readAll();
            buffer->append(chunk.constData(), (size_t)chunk.size());
            CHandOverRequest request;
            switch (Decode(*buffer, request)) {
            case decodeIncomplete:
                return;
            case decodeBad:
                socket->abort();
                socket->deleteLater();
                return;
            case decodeComplete:
                break;
            }
            buffer->clear();
            *answered = true;
            socket->write("A", 1);
            socket->flush();
            socket->disconnectFromServer();
            // Carried out from the event loop: opening a file may ask the user something, and
            // the copy that asked is not kept waiting for that.
            Handler handler = m_handler;
            QTimer::singleShot(0, [handler, request] {
                if (handler)
                    handler(request);
                else
                    AfxCarryOutHandOver(request);
            });
        });
    }
}

BOOL CSingleInstance::HandOver(LPCTSTR lpszChannel, const CHandOverRequest& request,
                               LPCTSTR lpszFolder, int nTimeoutMs) {
    CString path = SocketPath(lpszChannel, lpszFolder);
    if (path.IsEmpty())
        return FALSE;
    AfxEnsureGuiApp();
    QLocalSocket socket;
    QElapsedTimer clock;
    clock.start();
    auto left = [&] { return std::max(1, nTimeoutMs - (int)clock.elapsed()); };
    socket.connectToServer(AfxToQt(path));
    if (!socket.waitForConnected(left()))
        return FALSE;
    std::string bytes = Encode(request);
    socket.write(bytes.data(), (qint64)bytes.size());
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(left()))
            return FALSE;
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(left()))
            return FALSE;
    char ack = 0;
    return socket.read(&ack, 1) == 1 && ack == 'A';
}

void AfxCarryOutHandOver(const CHandOverRequest& request) {
    CWnd* main = AfxGetMainWnd();
    if (!main || !main->m_hWnd)
        return;
    if (request.bRestore) {
        if (main->IsIconic() || !main->IsWindowVisible())
            main->ShowWindow(SW_RESTORE);
        main->SetForegroundWindow();
    }
    for (const CString& cmd : request.ddeCommands) {
        HWND h = main->m_hWnd;
        if (!IsWindow(h))
            break;
        ::SendMessage(h, WM_DDE_EXECUTE, 0, (LPARAM)cmd.GetString());
    }
}
