// Choosing which contact fields appear, and in which order (the columns of the contact list, the
// custom field set of a group export). The chosen list is an ordered list of field numbers; the
// fields not chosen are offered in the order of their positions. The owner's field source maps
// between positions and field numbers and names the fields.
#pragma once

#include <vector>

#include "platform/base/Collections.h"
#include "platform/base/CString.h"

class CIFieldSource {
public:
    virtual ~CIFieldSource() = default;
    // -1 when the field has no position.
    virtual int FieldToPosition(int nField) = 0;
    virtual int PositionToField(int nPosition) = 0;
    virtual BOOL GetFieldName(int nField, CString& out) = 0;
};

// The contact fields 0 to 46, each at the position of its number.
class CPersonFieldSource : public CIFieldSource {
public:
    int FieldToPosition(int nField) override;
    int PositionToField(int nPosition) override;
    BOOL GetFieldName(int nField, CString& out) override;
    static constexpr int kPositions = 47;
};

class CFieldChoice {
public:
    enum { INSERT_BEFORE = 0, INSERT_AFTER = 1 };

    // Takes the chosen list. A field the source cannot place (a number from a damaged profile) is
    // dropped, as is a second copy of a field already chosen: each position is either chosen once
    // or offered.
    void Init(CIFieldSource* pSource, int nPositions, const CArray<int, int>& chosen);

    const std::vector<int>& GetChosen() const { return m_chosen; }
    void GetChosen(CArray<int, int>& out) const;
    // The fields not chosen, in position order.
    std::vector<int> GetAvailable() const;
    CString GetName(int nField) const;

    // Inserts the fields (in the given order) at the chosen-list index nAt: before it (mode 0) or
    // after it (mode 1, each further field after the one just inserted); at the end when nAt is
    // not an index of the list. Answers the indices of the inserted fields.
    std::vector<int> Add(const std::vector<int>& fields, int nAt, int nMode);
    // Takes the fields at the indices out of the chosen list.
    void Remove(const std::vector<int>& indices);
    // Every selected field swaps with its neighbour above (below), walking from the top (bottom),
    // so a run of selected fields moves one place as a block. Answers the new selected indices.
    std::vector<int> MoveUp(const std::vector<int>& indices);
    std::vector<int> MoveDown(const std::vector<int>& indices);

private:
    CIFieldSource* m_pSource = nullptr;
    int m_nPositions = 0;
    std::vector<int> m_chosen;
};
