// A sender file (".sdr"): one SMS sender account with its boxes and messages in the scrambled
// document file. The received-message store "Sms\incoming.dat" is a sender file too.
#pragma once

#include "core/QuillmarBaseDoc.h"
#include "sms/Sender.h"

class CSenderDoc : public CQuillmarBaseDoc {
    DECLARE_DYNCREATE(CSenderDoc)
public:
    // With bStandardBoxes the account's root box starts with the four standard boxes (a new
    // file); without, it starts empty (a document about to load a file).
    explicit CSenderDoc(BOOL bStandardBoxes = TRUE);
    ~CSenderDoc() override;

    // The document's version, then the account.
    void Serialize(CArchive& ar) override;

    _CSender& GetSender() { return m_sender; }
    _CSmsBox& GetRootBox() { return m_sender.GetRootSmsBox(); }

    // The box and the message the document's views show (null for none); not stored.
    void SetCurrentBox(CObject* pBox) { m_pCurrentBox = pBox; }
    void SetCurrentMessage(CObject* pMessage) { m_pCurrentMessage = pMessage; }

protected:
    _CSender m_sender;
};
