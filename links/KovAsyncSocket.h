// The asynchronous socket the text protocols are built on. A block handed to StartSend goes out
// over as many write notices as the socket needs (the write event is selected only while a block
// is pending); each read notice is one read of at most 1023 bytes handed to OnDataReceived; the
// close notice passes on what is still buffered and closes. CStringAsyncSocket gathers what
// arrives as text.
#pragma once

#include <string>

#include "platform/base/CString.h"
#include "platform/net/AsyncSocket.h"

class CKovAsyncSocket : public CAsyncSocket {
public:
    CKovAsyncSocket() = default;

    // eventMask = (eventMask without clear) with set, and selected.
    void SelectEvents(long clear, long set);
    void SetEvents(long mask);
    // Copies the block and starts sending it on the next write notice; FALSE (0) while another
    // block is still being sent, which is left alone.
    BOOL StartSend(const void* data, int length);
    BOOL IsSending() const { return m_sendLeft > 0; }
    BOOL IsValid() const { return m_hSocket != INVALID_SOCKET; }

protected:
    virtual void OnBytesSent(int n);
    virtual void OnSendComplete() {}
    // The base only clears recvLength.
    virtual void OnDataReceived(int length);
    // Shuts the socket down both ways and closes it.
    virtual void OnSocketError();
    virtual void OnClosed() {}

    void OnSend(int nErrorCode) override;
    void OnReceive(int nErrorCode) override;
    void OnClose(int nErrorCode) override;

    long m_eventMask = 0;
    const char* m_sendCursor = nullptr;
    int m_sendLeft = 0;
    char m_recvBuffer[1024] = {};
    int m_recvLength = 0;
    // Bytes kept free at the end of the buffer for a terminating zero.
    int m_reserve = 1;
    BOOL m_closed = FALSE;

private:
    // The block being sent (a copy: the caller's buffer may change or go).
    std::string m_sendBlock;
};

class CStringAsyncSocket : public CKovAsyncSocket {
public:
    // The most text a socket gathers; a peer that sends more is cut off as a socket error.
    static constexpr int kMaxReceivedText = 1024 * 1024;

    CString& GetSendBuffer() { return m_sendText; }
    // Sends the send buffer with StartSend.
    BOOL SendText();

    CString m_sendText;
    CString m_recvText;

protected:
    // Appends the bytes read to recvText.
    void OnDataReceived(int length) override;
};
