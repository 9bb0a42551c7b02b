// A notebook page: its title is the record's name, its body the page's rich text as stored bytes.
#pragma once

#include "core/ByteArrayWrapper.h"
#include "core/Content.h"
#include "platform/base/Types.h"

class CNoteContent : public CContent {
    DECLARE_SERIAL(CNoteContent)
public:
    // An empty page made now.
    explicit CNoteContent(LPCTSTR lpszTitle = nullptr);
    // A copy of the body, the creation time and the title, in no group.
    CNoteContent(const CNoteContent& other);

    // Title, body, then the creation time as a plain 64-bit value.
    void Serialize(CArchive& ar) override;
    void CopyFrom(const CContent* pSource) override;
    CContent* Clone() const override;
    CContent* CreateInstance(LPCTSTR lpszName) const override;
    CString GetText() override;

    CByteArrayWrapper& GetBody() { return m_body; }
    const CByteArrayWrapper& GetBody() const { return m_body; }
    // The body's bytes as one string (rich text is byte text).
    CString GetBodyText() const;
    // Replaces the body; the stored length follows it.
    void SetBodyText(const CString& text);
    __time64_t GetCreated() const { return m_created; }
    void SetCreated(__time64_t t) { m_created = t; }

private:
    CByteArrayWrapper m_body;
    __time64_t m_created = 0;
};
