// The hand-over between copies of the program. The running copy listens on a local socket named
// after a channel in the user's runtime folder; a copy started later (by the desktop, for a file)
// connects, asks the running copy to bring its main window back and to carry out shell commands
// such as [open("path")], and ends. The running copy carries them out as the desktop's DDE
// conversation would: the main window gets WM_DDE_EXECUTE with each command.
#pragma once

#include "platform/base/CString.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLocalServer;

// What a later copy asked for.
struct CHandOverRequest {
    BOOL bRestore = FALSE;              // bring the main window back and to the front
    std::vector<CString> ddeCommands;   // shell commands, e.g. [open("C:\a.sms")]
};

class CSingleInstance {
public:
    // lpszFolder: where the socket lives; null for the user's runtime folder.
    explicit CSingleInstance(LPCTSTR lpszChannel, LPCTSTR lpszFolder = nullptr);
    ~CSingleInstance();
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // Starts listening. A socket left behind by a copy that ended without closing it is taken
    // over; FALSE when another copy is listening on the channel.
    BOOL Listen();
    BOOL IsListening() const;
    // The full path of the socket.
    CString GetServerName() const { return m_strServer; }

    // What is done with a request; the default restores the main window and sends it each
    // command as WM_DDE_EXECUTE. Requests are carried out from the event loop after the copy
    // that sent them has been answered.
    using Handler = std::function<void(const CHandOverRequest&)>;
    void SetHandler(Handler handler) { m_handler = std::move(handler); }

    // The later copy's side: hands the request to the copy listening on the channel and waits
    // (at most nTimeoutMs) for its acknowledgement. FALSE when no copy listens or it did not
    // answer; the caller then goes on as the only copy.
    static BOOL HandOver(LPCTSTR lpszChannel, const CHandOverRequest& request,
                         LPCTSTR lpszFolder = nullptr, int nTimeoutMs = 5000);
    // The shell command that opens a file, as the desktop's file types register it.
    static CString OpenCommand(LPCTSTR lpszPathName);

    // The bytes of a request on the socket, and back. Decode reads what has arrived so far: a
    // whole request, not yet all of it, or input that is damaged or too long and is refused.
    enum DecodeResult { decodeComplete, decodeIncomplete, decodeBad };
    static std::string Encode(const CHandOverRequest& request);
    static DecodeResult Decode(const std::string& bytes, CHandOverRequest& request);
    // Limits a running copy holds a request to.
    static const int kMaxCommandLength = 4096;
    static const int kMaxCommands = 64;
    // At most this many connections are read at once (more are closed as they arrive), and one
    // whose request is not complete within the read limit is dropped, so that silent or slow
    // peers can neither use up the running copy's descriptors nor hold the channel.
    static const int kMaxConnections = 8;
    // The read limit in milliseconds (a few seconds); answers the old one. For tests.
    static UINT SetReadLimitMs(UINT nMs);

private:
    void OnConnection();
    static CString SocketPath(LPCTSTR lpszChannel, LPCTSTR lpszFolder);

    CString m_strServer;
    std::unique_ptr<QLocalServer> m_server;
    Handler m_handler;
    int m_nOpen = 0; // connections being read
};

// Restores and raises the main window (SW_RESTORE when it is minimised or hidden) and sends it
// each command as WM_DDE_EXECUTE: what a request does without a handler of its own.
void AfxCarryOutHandOver(const CHandOverRequest& request);
