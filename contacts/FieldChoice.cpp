#include "contacts/FieldChoice.h"

#include <algorithm>

#include "contacts/PersonFields.h"

int CPersonFieldSource::FieldToPosition(int nField) {
    return nField >= 0 && nField < kPositions ? nField : -1;
}

int CPersonFieldSource::PositionToField(int nPosition) {
    return nPosition >= 0 && nPosition < kPositions ? nPosition : -1;
}

BOOL CPersonFieldSource::GetFieldName(int nField, CString& out) {
    return GetPersonFieldName(nField, out);
}

void CFieldChoice::Init(CIFieldSource* pSource, int nPositions, const CArray<int, int>& chosen) {
    m_pSource = pSource;
    m_nPositions = nPositions > 0 ? nPositions : 0;
    m_chosen.clear();
    std::vector<bool> used((size_t)m_nPositions, false);
    for (int k = 0; k < chosen.GetSize(); ++k) {
        const int nPos = m_pSource != nullptr ? m_pSource->FieldToPosition(chosen[k]) : -1;
        if (nPos < 0 || nPos >= m_nPositions || used[(size_t)nPos])
            continue;
        used[(size_t)nPos] = true;
        m_chosen.push_back(chosen[k]);
    }
}

void CFieldChoice::GetChosen(CArray<int, int>& out) const {
    out.RemoveAll();
    for (int nField : m_chosen)
        out.Add(nField);
}

std::vector<int> CFieldChoice::GetAvailable() const {
    std::vector<bool> used((size_t)m_nPositions, false);
    for (int nField : m_chosen) {
        const int nPos = m_pSource->FieldToPosition(nField);
        if (nPos >= 0 && nPos < m_nPositions)
            used[(size_t)nPos] = true;
    }
    std::vector<int> available;
    for (int nPos = 0; nPos < m_nPositions; ++nPos)
        if (!used[(size_t)nPos]) {
            const int nField = m_pSource->PositionToField(nPos);
            if (nField >= 0)
                available.push_back(nField);
        }
    return available;
}

CString CFieldChoice::GetName(int nField) const {
    CString name;
    if (m_pSource != nullptr)
        m_pSource->GetFieldName(nField, name);
    return name;
}

std::vector<int> CFieldChoice::Add(const std::vector<int>& fields, int nAt, int nMode) {
    std::vector<int> added;
    const bool bAtEnd = nAt < 0 || nAt >= (int)m_chosen.size();
    int nInsert = bAtEnd ? (int)m_chosen.size() : (nMode == INSERT_AFTER ? nAt + 1 : nAt);
    for (int nField : fields) {
        if (std::find(m_chosen.begin(), m_chosen.end(), nField) != m_chosen.end())
            continue;
        const int nPos = m_pSource->FieldToPosition(nField);
        if (nPos < 0 || nPos >= m_nPositions)
            continue;
        m_chosen.insert(m_chosen.begin() + nInsert, nField);
        for (int& i : added)
            if (i >= nInsert)
                ++i;
        added.push_back(nInsert);
        ++nInsert;
    }
    return added;
}

void CFieldChoice::Remove(const std::vector<int>& indices) {
    std::vector<int> sorted = indices;
    std::sort(sorted.rbegin(), sorted.rend());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    for (int i : sorted)
        if (i >= 0 && i < (int)m_chosen.size())
            m_chosen.erase(m_chosen.begin() + i);
}

std::vector<int> CFieldChoice::MoveUp(const std::vector<int>& indices) {
    std::vector<int> sorted = indices;
    std::sort(sorted.begin(), sorted.end());
    std::vector<int> moved;
    for (int i : sorted) {
        if (i < 0 || i >= (int)m_chosen.size())
            continue;
        // A field at the top, or right under one that could not move, stays.
        if (i == 0 || (!moved.empty() && moved.back() == i - 1)) {
            moved.push_back(i);
            continue;
        }
        std::swap(m_chosen[(size_t)i], m_chosen[(size_t)i - 1]);
        moved.push_back(i - 1);
    }
    return moved;
}

std::vector<int> CFieldChoice::MoveDown(const std::vector<int>& indices) {
    std::vector<int> sorted = indices;
    std::sort(sorted.rbegin(), sorted.rend());
    std::vector<int> moved;
    const int nLast = (int)m_chosen.size() - 1;
    for (int i : sorted) {
        if (i < 0 || i > nLast)
            continue;
        if (i == nLast || (!moved.empty() && moved.back() == i + 1)) {
            moved.push_back(i);
            continue;
        }
        std::swap(m_chosen[(size_t)i], m_chosen[(size_t)i + 1]);
        moved.push_back(i + 1);
    }
    std::sort(moved.begin(), moved.end());
    return moved;
}
