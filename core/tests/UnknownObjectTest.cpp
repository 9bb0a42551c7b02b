// Reference counting and self-deletion.
#include <gtest/gtest.h>

#include "core/UnknownObject.h"

namespace {

class Tracked : public CUnknownObject {
public:
    explicit Tracked(bool* alive) : m_alive(alive) { *m_alive = true; }
    ~Tracked() override { *m_alive = false; }

private:
    bool* m_alive;
};

} // namespace

TEST(UnknownObject, ReleaseDeletesAtZeroOnlyWhenAsked) {
    bool alive = false;
    auto* obj = new Tracked(&alive);
    EXPECT_EQ(obj->GetRefCount(), 0);
    EXPECT_TRUE(obj->GetDeleteOnRelease());
    EXPECT_EQ(obj->AddRef(), 1);
    EXPECT_EQ(obj->AddRef(), 2);
    EXPECT_EQ(obj->Release(), 1);
    EXPECT_TRUE(alive);
    EXPECT_EQ(obj->Release(), 0);
    EXPECT_FALSE(alive); // deleted; ASan reports any later use

    auto* kept = new Tracked(&alive);
    kept->SetDeleteOnRelease(FALSE);
    kept->AddRef();
    EXPECT_EQ(kept->Release(), 0);
    EXPECT_TRUE(alive);
    EXPECT_EQ(kept->GetRefCount(), 0);
    delete kept;
}
