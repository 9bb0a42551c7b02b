#include "platform/base/Object.h"
#include "platform/base/Exception.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace {

class CShape : public CObject {
    DECLARE_DYNAMIC(CShape)
};
IMPLEMENT_DYNAMIC(CShape, CObject)

class CCircle : public CShape {
    DECLARE_DYNCREATE(CCircle)
protected:
    CCircle() = default; // creatable through the class factory only
public:
    int m_radius = 7;
};
IMPLEMENT_DYNCREATE(CCircle, CShape)

class CRing : public CCircle {
    DECLARE_SERIAL(CRing)
};
IMPLEMENT_SERIAL(CRing, CCircle, 1)

class CSquare : public CShape {
    DECLARE_DYNCREATE(CSquare)
};
IMPLEMENT_DYNCREATE(CSquare, CShape)

class CBroken : public CObject {
    DECLARE_DYNCREATE(CBroken)
public:
    CBroken() { throw std::runtime_error("construction fails"); }
};
IMPLEMENT_DYNCREATE(CBroken, CObject)

// Fails the way the system's own code does: with an exception object made by new, which the
// factory has to free (the leak checker of the sanitizer build notices when it does not).
class COutOfMemory : public CObject {
    DECLARE_DYNCREATE(COutOfMemory)
public:
    COutOfMemory() { throw new CMemoryException; }
};
IMPLEMENT_DYNCREATE(COutOfMemory, CObject)

} // namespace

TEST(RuntimeClass, FindsRegisteredClassesByName) {
    struct Row {
        const char* name;
        CRuntimeClass* expected;
    };
    const Row rows[] = {
        {"CObject", RUNTIME_CLASS(CObject)},
        {"CShape", RUNTIME_CLASS(CShape)},
        {"CCircle", RUNTIME_CLASS(CCircle)},
        {"CRing", RUNTIME_CLASS(CRing)},
        {"CSquare", RUNTIME_CLASS(CSquare)},
        {"CBroken", RUNTIME_CLASS(CBroken)},
        {"CSquar", nullptr},
        {"csquare", nullptr},
        {"", nullptr},
        {nullptr, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name ? row.name : "(null)");
        EXPECT_EQ(CRuntimeClass::FromName(row.name), row.expected);
    }
}

TEST(RuntimeClass, DescribesNameSizeSchemaAndBase) {
    CRuntimeClass* ring = RUNTIME_CLASS(CRing);
    EXPECT_STREQ(ring->m_lpszClassName, "CRing");
    EXPECT_EQ(ring->m_nObjectSize, (int)sizeof(CRing));
    EXPECT_EQ(ring->m_wSchema, 1u);
    EXPECT_EQ(ring->m_pBaseClass, RUNTIME_CLASS(CCircle));
    EXPECT_EQ(RUNTIME_CLASS(CCircle)->m_wSchema, 0xFFFFu);
    EXPECT_EQ(RUNTIME_CLASS(CObject)->m_pBaseClass, nullptr);
}

TEST(RuntimeClass, CreatesObjectsOfTheRightClass) {
    for (const char* name : {"CCircle", "CRing", "CSquare"}) {
        SCOPED_TRACE(name);
        std::unique_ptr<CObject> object(CRuntimeClass::CreateObject(name));
        ASSERT_NE(object, nullptr);
        EXPECT_STREQ(object->GetRuntimeClass()->m_lpszClassName, name);
        EXPECT_EQ(object->GetRuntimeClass(), CRuntimeClass::FromName(name));
    }
    std::unique_ptr<CObject> ring(RUNTIME_CLASS(CRing)->CreateObject());
    EXPECT_EQ(static_cast<CRing*>(ring.get())->m_radius, 7);
}

TEST(RuntimeClass, CreationYieldsNullWhenTheClassCannotBeMade) {
    EXPECT_EQ(RUNTIME_CLASS(CObject)->CreateObject(), nullptr);
    EXPECT_EQ(RUNTIME_CLASS(CShape)->CreateObject(), nullptr);  // dynamic but not creatable
    EXPECT_EQ(RUNTIME_CLASS(CBroken)->CreateObject(), nullptr); // constructor throws
    EXPECT_EQ(CRuntimeClass::CreateObject("CBroken"), nullptr);
    EXPECT_EQ(RUNTIME_CLASS(COutOfMemory)->CreateObject(), nullptr);
    EXPECT_EQ(CRuntimeClass::CreateObject("NoSuchClass"), nullptr);
}

TEST(RuntimeClass, KindOfFollowsTheBaseChainOnly) {
    std::unique_ptr<CObject> ring(CRuntimeClass::CreateObject("CRing"));
    std::unique_ptr<CObject> square(CRuntimeClass::CreateObject("CSquare"));
    struct Row {
        const CObject* object;
        CRuntimeClass* cls;
        bool expected;
    };
    const Row rows[] = {
        {ring.get(), RUNTIME_CLASS(CRing), true},
        {ring.get(), RUNTIME_CLASS(CCircle), true},
        {ring.get(), RUNTIME_CLASS(CShape), true},
        {ring.get(), RUNTIME_CLASS(CObject), true},
        {ring.get(), RUNTIME_CLASS(CSquare), false},
        {square.get(), RUNTIME_CLASS(CCircle), false},
        {square.get(), RUNTIME_CLASS(CShape), true},
        {square.get(), RUNTIME_CLASS(CRing), false},
        {square.get(), nullptr, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.object->GetRuntimeClass()->m_lpszClassName) + " of " +
                     (row.cls ? row.cls->m_lpszClassName : "(null)"));
        EXPECT_EQ(!!row.object->IsKindOf(row.cls), row.expected);
    }
    EXPECT_TRUE(RUNTIME_CLASS(CRing)->IsDerivedFrom(RUNTIME_CLASS(CShape)));
    EXPECT_FALSE(RUNTIME_CLASS(CShape)->IsDerivedFrom(RUNTIME_CLASS(CRing)));
}

TEST(RuntimeClass, SerializableOnlyWithSchema) {
    std::unique_ptr<CObject> ring(CRuntimeClass::CreateObject("CRing"));
    std::unique_ptr<CObject> circle(CRuntimeClass::CreateObject("CCircle"));
    EXPECT_TRUE(ring->IsSerializable());
    EXPECT_FALSE(circle->IsSerializable());
}

TEST(RuntimeClass, DynamicDowncastChecksTheClass) {
    std::unique_ptr<CObject> ring(CRuntimeClass::CreateObject("CRing"));
    std::unique_ptr<CObject> square(CRuntimeClass::CreateObject("CSquare"));
    EXPECT_EQ(DYNAMIC_DOWNCAST(CCircle, ring.get()), ring.get());
    EXPECT_EQ(DYNAMIC_DOWNCAST(CCircle, square.get()), nullptr);
    EXPECT_EQ(DYNAMIC_DOWNCAST(CCircle, static_cast<CObject*>(nullptr)), nullptr);
    EXPECT_EQ(STATIC_DOWNCAST(CShape, square.get())->GetRuntimeClass(), RUNTIME_CLASS(CSquare));
}
