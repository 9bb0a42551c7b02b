#include "core/UnknownObject.h"

int CUnknownObject::Release() {
    const int count = --m_nRefCount;
    if (count == 0 && m_bDeleteOnRelease)
        delete this;
    return count;
}
