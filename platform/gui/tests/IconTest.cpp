#include "GuiTestSupport.h"

#include "platform/gui/Controls.h"
#include "platform/gui/Dc.h"
#include "platform/gui/Icon.h"
#include "platform/gui/WinApp.h"

#include <QCursor>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>

// The test script's icon 7200 holds a red 16x16 and a blue 32x32 picture, each with a
// transparent 4x4 corner at the top left; cursor 7201 is green with its hot spot at (5, 7).
namespace {

const UINT kIcon = 7200;
const UINT kCursor = 7201;

QRgb Opaque(QRgb c) {
    return c | 0xFF000000u;
}

class IconTest : public GuiTest {};

TEST_F(IconTest, ResourceIconOffersEachSizeAndScalesOthers) {
    HICON h = LoadIcon(nullptr, MAKEINTRESOURCE(kIcon));
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h, LoadIcon(nullptr, MAKEINTRESOURCE(kIcon))) << "loaded icons are shared";
    struct Case {
        int size;
        QRgb colour;
    } cases[] = {{16, qRgb(255, 0, 0)}, {32, qRgb(0, 0, 255)}, {24, qRgb(0, 0, 255)}};
    for (const Case& c : cases) {
        QImage img = AfxIconImage(h, c.size, c.size);
        ASSERT_EQ(img.size(), QSize(c.size, c.size)) << c.size;
        EXPECT_EQ(Opaque(img.pixel(c.size - 1, c.size - 1)), c.colour) << c.size;
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0) << "the masked corner stays transparent";
    }
    // Destroying a shared icon leaves it usable for everyone else.
    EXPECT_TRUE(DestroyIcon(h));
    EXPECT_FALSE(AfxIconImage(h, 16, 16).isNull());
    EXPECT_EQ(LoadIcon(nullptr, MAKEINTRESOURCE(9999)), nullptr);
}

TEST_F(IconTest, DrawIconUsesTheSystemSizeAndKeepsTheGroundUnderTheMask) {
    QImage surface(40, 40, QImage::Format_RGB32);
    surface.fill(Qt::white);
    CDC dc;
    ASSERT_TRUE(dc.AttachImage(&surface));
    HICON h = LoadIcon(nullptr, MAKEINTRESOURCE(kIcon));
    ASSERT_TRUE(dc.DrawIcon(4, 4, h));
    ASSERT_TRUE(DrawIconEx(dc.GetSafeHdc(), 0, 0, h, 16, 16, 0, nullptr, DI_NORMAL));
    dc.DeleteDC();
    EXPECT_EQ(surface.pixel(35, 35), qRgb(0, 0, 255)) << "32x32 picture at (4, 4)";
    EXPECT_EQ(surface.pixel(36, 36), qRgb(255, 255, 255));
    EXPECT_EQ(surface.pixel(15, 15), qRgb(255, 0, 0)) << "16x16 picture at the origin";
    EXPECT_EQ(surface.pixel(1, 1), qRgb(255, 255, 255)) << "transparent corner";
    EXPECT_FALSE(DrawIcon(dc.GetSafeHdc(), 0, 0, nullptr));
}

TEST_F(IconTest, CursorsKeepTheirHotSpotAndStandardIdsMapToShapes) {
    HCURSOR res = LoadCursor(nullptr, MAKEINTRESOURCE(kCursor));
    ASSERT_NE(res, nullptr);
    QCursor c = AfxQCursor(res);
    EXPECT_EQ(c.shape(), Qt::BitmapCursor);
    EXPECT_EQ(c.hotSpot(), QPoint(5, 7));
    struct Case {
        LPCTSTR id;
        Qt::CursorShape shape;
    } cases[] = {{IDC_ARROW, Qt::ArrowCursor},       {IDC_WAIT, Qt::WaitCursor},
                 {IDC_HAND, Qt::PointingHandCursor}, {IDC_IBEAM, Qt::IBeamCursor},
                 {IDC_SIZEWE, Qt::SizeHorCursor},    {IDC_SIZENS, Qt::SizeVerCursor},
                 {IDC_SIZEALL, Qt::SizeAllCursor},   {IDC_NO, Qt::ForbiddenCursor}};
    for (const Case& k : cases) {
        HCURSOR h = LoadCursor(nullptr, k.id);
        ASSERT_NE(h, nullptr) << (UINT)(ULONG_PTR)k.id;
        EXPECT_EQ(AfxQCursor(h).shape(), k.shape) << (UINT)(ULONG_PTR)k.id;
    }
    EXPECT_NE(LoadIcon(nullptr, IDI_QUESTION), nullptr);
    HCURSOR old = SetCursor(res);
    EXPECT_EQ(GetCursor(), res);
    EXPECT_EQ(SetCursor(old), res);
}

TEST_F(IconTest, LoadImageFromFileOwnsItsHandle) {
    QTemporaryDir dir;
    QString path = dir.filePath("two.ico");
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUILLMAR_GUI_TESTDATA "/two-sizes.ico"), path));
    CString gbkPath = AfxFromQt(path);
    auto h = (HICON)LoadImage(nullptr, gbkPath, IMAGE_ICON, 16, 16, LR_LOADFROMFILE);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(Opaque(AfxIconImage(h).pixel(8, 8)), qRgb(255, 0, 0));
    HICON copy = CopyIcon(h);
    EXPECT_TRUE(DestroyIcon(h));
    EXPECT_FALSE(DestroyIcon(h)) << "a destroyed handle is no longer an icon";
    EXPECT_FALSE(AfxIsIcon(h));
    EXPECT_TRUE(AfxIsIcon(copy));
    EXPECT_TRUE(DestroyIcon(copy));

    auto bmp = (HBITMAP)LoadImage(nullptr, gbkPath, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    ASSERT_NE(bmp, nullptr);
    BITMAP info{};
    CBitmap::FromHandle(bmp)->GetBitmap(&info);
    EXPECT_GT(info.bmWidth, 0);
    DeleteObject(bmp);
    EXPECT_EQ(LoadImage(nullptr, AfxFromQt(dir.filePath("missing.ico")), IMAGE_ICON, 0, 0,
                        LR_LOADFROMFILE),
              nullptr);
}

void MoveOver(QWidget* w, QPoint pos) {
    QMouseEvent me(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(w, &me);
}

// Chooses the pointer over itself while asked to; its children ask it first.
class CCursorHost : public CWnd {
public:
    HCURSOR choice = nullptr;
    int asked = 0;
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
        ++asked;
        if (!choice)
            return CWnd::OnSetCursor(pWnd, nHitTest, message);
        SetCursor(choice);
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CCursorHost, CWnd)
ON_WM_SETCURSOR()
END_MESSAGE_MAP()

TEST_F(IconTest, MouseMovesLetWindowsChooseThePointer) {
    CCursorHost host;
    ASSERT_TRUE(
        host.CreateEx(0, nullptr, "host", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr));
    CWnd plain;
    ASSERT_TRUE(
        plain.Create(nullptr, "plain", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 50), &host, 1));
    CWnd crossed;
    LPCTSTR cls = AfxRegisterWndClass(0, LoadCursor(nullptr, IDC_CROSS));
    EXPECT_EQ(cls, AfxRegisterWndClass(0, LoadCursor(nullptr, IDC_CROSS)));
    ASSERT_TRUE(
        crossed.Create(cls, "crossed", WS_CHILD | WS_VISIBLE, CRect(100, 0, 150, 50), &host, 2));
    QWidget* pw = plain.GetWidget();
    QWidget* cw = crossed.GetWidget();

    host.choice = LoadCursor(nullptr, IDC_HAND);
    MoveOver(pw, QPoint(10, 10));
    EXPECT_EQ(pw->cursor().shape(), Qt::PointingHandCursor) << "the parent decided for the child";
    MoveOver(cw, QPoint(10, 10));
    EXPECT_EQ(cw->cursor().shape(), Qt::PointingHandCursor);

    host.choice = nullptr;
    int before = host.asked;
    MoveOver(pw, QPoint(12, 12));
    EXPECT_GT(host.asked, before);
    EXPECT_FALSE(pw->testAttribute(Qt::WA_SetCursor)) << "back to the default shape";
    MoveOver(cw, QPoint(12, 12));
    EXPECT_EQ(cw->cursor().shape(), Qt::CrossCursor) << "the class cursor";
}

TEST_F(IconTest, WaitCursorsNestAndComeBackAfterBeingReplaced) {
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    {
        CWaitCursor outer;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            CWaitCursor inner;
            QApplication::changeOverrideCursor(QCursor(Qt::ArrowCursor));
            inner.Restore();
            EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        ASSERT_NE(QApplication::overrideCursor(), nullptr) << "the outer wait goes on";
        CCmdTarget target;
        target.BeginWaitCursor();
        target.EndWaitCursor();
        EXPECT_NE(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(IconTest, IconStaticShowsTheIconItNames) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
    CStatic icon;
    ASSERT_TRUE(
        icon.Create("#7200", WS_CHILD | WS_VISIBLE | SS_ICON, CRect(0, 0, 32, 32), &parent));
    auto* label = qobject_cast<QLabel*>(icon.GetWidget());
    ASSERT_NE(label, nullptr);
    HICON first = icon.GetIcon();
    EXPECT_EQ(first, LoadIcon(nullptr, MAKEINTRESOURCE(kIcon)));
    EXPECT_EQ(label->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(icon.SetIcon(LoadIcon(nullptr, IDI_QUESTION)), first);
    EXPECT_EQ(icon.GetIcon(), LoadIcon(nullptr, IDI_QUESTION));
}

} // namespace
