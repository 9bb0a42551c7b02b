#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QImage>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "contacts/ui/DlgEditPhotoes.h"
#include "contacts/ui/PagePhotoes.h"
#include "contacts/ui/tests/SheetHost.h"
#include "platform/base/tests/TempFolder.h"
#include "core/FileUtil.h"
#include "platform/base/Document.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Menu.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/ShellServices.h"
#include "platform/gui/View.h"
#include "platform/gui/tests/GuiTestSupport.h"

namespace {

class PhotoPageTest : public GuiTest {
protected:
    void SetUp() override {
        m_oldOpen = AfxSetShellOpenHook([this](const std::string& target) {
            opened.push_back(target);
            return true;
        });
        m_oldBox = AfxSetMessageBoxHook([this](const MessageBoxCall& c) {
            messages.push_back((LPCTSTR)c.text);
            return answer;
        });
        m_oldDialog = AfxSetModalDialogHook([this](CDialog& dlg) {
            if (m_step < m_steps.size())
                m_steps[m_step++](dlg);
            else
                dlg.EndDialog(IDCANCEL);
        });
        for (const char* name : {"a.png", "b.png"}) {
            QImage img(40, 30, QImage::Format_RGB32);
            img.fill(QColor(200, 100, 50));
            ASSERT_TRUE(img.save(QString::fromStdString(m_dir.str() + "/" + name), "PNG"));
        }
        page.SetDocumentPath(CString((m_dir.str() + "/book.sms").c_str()));
        m_sheet.AddPage(&page);
        ASSERT_TRUE(m_sheet.Create());
        m_sheet.SetWindowPos(nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
        m_sheet.ShowWindow(SW_SHOW);
        Pump();
    }
    void TearDown() override {
        AfxSetShellOpenHook(m_oldOpen);
        AfxSetMessageBoxHook(m_oldBox);
        AfxSetModalDialogHook(m_oldDialog);
        m_sheet.DestroyWindow();
    }
    CString Position() {
        CString s;
        page.GetDlgItemText(CPagePhotoes::IDC_POSITION, s);
        return s;
    }
    void DoubleClickImage() {
        CRect rc;
        page.GetDlgItem(CPagePhotoes::IDC_IMAGE)->GetWindowRect(&rc);
        page.ScreenToClient(&rc);
        page.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(rc.CenterPoint().x, rc.CenterPoint().y));
    }

    CString PathOf(const char* name) const { return CString((m_dir.str() + "/" + name).c_str()); }
    // A right-button release on the page: the menu's items and whether each is enabled go to
    // `menuItems`, and the command `choose` is picked (0: the menu is closed).
    void RightClick(UINT choose) {
        menuItems.clear();
        PopupMenuHook old = AfxSetPopupMenuHook([&](HMENU hMenu, CWnd* pOwner, POINT, UINT) {
            EXPECT_EQ(pOwner, &page);
            CMenu* menu = CMenu::FromHandle(hMenu);
            for (UINT i = 0; i < menu->GetMenuItemCount(); ++i)
                if (UINT id = menu->GetMenuItemID((int)i); id != 0 && id != (UINT)-1)
                    menuItems[id] = !(menu->GetMenuState(id, MF_BYCOMMAND) & MF_GRAYED);
            return choose;
        });
        page.SendMessage(WM_RBUTTONUP, 0, MAKELPARAM(20, 60));
        AfxSetPopupMenuHook(old);
        Pump(); // the chosen command arrives as a posted message
    }
    // A click on a tool-bar button, as the mouse gives it.
    void ClickButton(UINT id) {
        CToolBar& bar = page.GetToolBar();
        CRect r;
        bar.GetItemRect(bar.CommandToIndex(id), &r);
        const LPARAM at = MAKELPARAM(r.CenterPoint().x, r.CenterPoint().y);
        bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        bar.SendMessage(WM_LBUTTONUP, 0, at);
        Pump();
    }
    UINT ButtonStyle(UINT id) {
        CToolBar& bar = page.GetToolBar();
        return bar.GetButtonStyle(bar.CommandToIndex(id));
    }
    bool ButtonEnabled(UINT id) { return !(ButtonStyle(id) & TBBS_DISABLED); }
    // The next modal dialogs are answered by these steps, in turn.
    void OnDialogs(std::vector<std::function<void(CDialog&)>> steps) {
        m_steps = std::move(steps);
        m_step = 0;
    }
    static std::function<void(CDialog&)> ChooseFile(const CString& path, DWORD nFilter = 0) {
        return [path, nFilter](CDialog& dlg) {
            auto* file = dynamic_cast<CFileDialog*>(&dlg);
            ASSERT_NE(file, nullptr);
            lastFilterIndex = file->m_ofn.nFilterIndex;
            CStringArray paths;
            paths.Add(path);
            file->Answer(paths, nFilter);
        };
    }
    static void WritePicture(const std::string& path, QColor colour, int w = 40, int h = 30) {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(colour);
        ASSERT_TRUE(img.save(QString::fromStdString(path)));
    }
    // Pixels of the image window darker than mid grey: text or picture drawn in it.
    int DarkPixels() {
        QImage shot = page.GetImageWnd().GetWidget()->grab().toImage();
        int n = 0;
        // Inside the border.
        for (int y = 3; y < shot.height() - 3; ++y)
            for (int x = 3; x < shot.width() - 3; ++x)
                if (qGray(shot.pixel(x, y)) < 100)
                    ++n;
        return n;
    }

    static inline DWORD lastFilterIndex = 0;
    std::map<UINT, bool> menuItems;
    std::vector<std::function<void(CDialog&)>> m_steps;
    size_t m_step = 0;
    ModalDialogHook m_oldDialog;
    test_folders::TempDir m_dir;
    CPagePhotoes page;
    CHostSheet m_sheet;
    std::vector<std::string> opened;
    std::vector<std::string> messages;
    int answer = IDYES;
    ShellOpenHook m_oldOpen;
    MessageBoxHook m_oldBox;
};

TEST_F(PhotoPageTest, PhotosComeBackUnchangedAndStepInOrder) {
    const struct {
        std::vector<const char*> paths;
        int stored, shown;
    } cases[] = {
        {{"a.png", "b.png"}, 1, 1}, {{"a.png", "b.png"}, -1, 0}, {{"a.png"}, 7, 0}, {{}, -1, -1}};
    for (const auto& c : cases) {
        CStringListEx in;
        for (const char* p : c.paths)
            in.AddTail(p);
        in.SetCurrentIndex(c.stored);
        page.ExchangePhotos(in, TRUE);
        EXPECT_EQ(page.GetCurrent(), c.shown);
        CStringListEx out;
        page.ExchangePhotos(out, FALSE);
        EXPECT_EQ(out.GetCount(), in.GetCount());
        EXPECT_EQ(out.GetCurrentIndex(), c.stored);
    }
    CStringListEx in;
    in.AddTail("a.png"); // relative to the address book's file
    in.AddTail(CString((m_dir.str() + "/b.png").c_str()));
    in.AddTail("missing.png");
    page.ExchangePhotos(in, TRUE);
    EXPECT_STREQ(Position(), "1/3");
    page.StepPhoto(FALSE);
    EXPECT_EQ(page.GetCurrent(), 0);
    page.StepPhoto(TRUE);
    EXPECT_TRUE(page.ShowPhoto(1));
    EXPECT_FALSE(page.ShowPhoto(2)); // the file is gone
    page.StepPhoto(TRUE);
    EXPECT_EQ(page.GetCurrent(), 2);
    EXPECT_STREQ(Position(), "3/3");
    // The user moved on: the new current photo is stored.
    CStringListEx out;
    page.ExchangePhotos(out, FALSE);
    EXPECT_EQ(out.GetCurrentIndex(), 2);
    // Deleting asks first.
    answer = IDNO;
    page.DeletePhoto();
    EXPECT_STREQ(Position(), "3/3");
    answer = IDYES;
    page.DeletePhoto();
    EXPECT_STREQ(Position(), "2/2");
    EXPECT_TRUE(page.IsChanged());
}

TEST_F(PhotoPageTest, OnlyPictureFilesOpenOnDoubleClick) {
    CStringListEx in;
    in.AddTail("a.png");
    in.AddTail("run.sh");
    page.ExchangePhotos(in, TRUE);
    DoubleClickImage();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_NE(opened[0].find("a.png"), std::string::npos);
    page.ShowPhoto(1);
    DoubleClickImage();
    EXPECT_EQ(opened.size(), 1u);
    for (const char* name : {"x.JPG", "y.jpeg", "z.bmp", "w.gif", "v.tiff"})
        EXPECT_TRUE(IsPictureFile(name)) << name;
    for (const char* name : {"x.exe", "jpg", "y.png.lnk", "", "z.desktop", "dir.png\\run"})
        EXPECT_FALSE(IsPictureFile(name)) << name;
}

TEST_F(PhotoPageTest, MenuAndToolBarAddChangeStepAndDelete) {
    // Without photos only adding and the editor make sense.
    CStringListEx none;
    page.ExchangePhotos(none, TRUE);
    EXPECT_STREQ(Position(), "0/0");
    RightClick(0);
    const std::map<UINT, bool> empty = {{436, true},  {437, true},  {438, false}, {483, true},
                                        {439, false}, {440, false}, {482, false}};
    EXPECT_EQ(menuItems, empty);
    for (UINT id : {438u, 439u, 440u, 482u})
        EXPECT_FALSE(ButtonEnabled(id)) << id;
    EXPECT_TRUE(ButtonStyle(482) & TBBS_INDETERMINATE);
    EXPECT_TRUE(ButtonEnabled(436));

    // Adding from the menu and from the tool bar; the second file dialog starts on the type the
    // first one ended on.
    OnDialogs({ChooseFile(PathOf("a.png"), 3)});
    RightClick(CPagePhotoes::ID_PHOTO_ADD);
    EXPECT_EQ(page.GetCurrent(), 0);
    EXPECT_TRUE(page.IsChanged());
    OnDialogs({ChooseFile(PathOf("b.png"))});
    ClickButton(CPagePhotoes::ID_PHOTO_ADD);
    EXPECT_EQ(lastFilterIndex, 3u);
    EXPECT_STREQ(Position(), "2/2");
    EXPECT_TRUE(ButtonEnabled(439));
    EXPECT_FALSE(ButtonEnabled(440));

    // Stepping through both ways.
    RightClick(CPagePhotoes::ID_PHOTO_PREVIOUS);
    EXPECT_STREQ(Position(), "1/2");
    EXPECT_FALSE(ButtonEnabled(439));
    ClickButton(CPagePhotoes::ID_PHOTO_NEXT);
    EXPECT_STREQ(Position(), "2/2");
    RightClick(0);
    EXPECT_TRUE(menuItems[439]);
    EXPECT_FALSE(menuItems[440]);

    // Changing the current photo; a cancelled dialog changes nothing.
    WritePicture(m_dir.str() + "/c.png", QColor(0, 0, 200));
    RightClick(CPagePhotoes::ID_PHOTO_CHANGE); // cancelled
    EXPECT_TRUE(page.GetAbsolutePath(1).Right(5) == "b.png");
    OnDialogs({ChooseFile(PathOf("c.png"))});
    RightClick(CPagePhotoes::ID_PHOTO_CHANGE);
    EXPECT_TRUE(page.GetAbsolutePath(1).Right(5) == "c.png");
    EXPECT_EQ(page.GetCount(), 2);

    // Actual size is a check button that follows the picture window.
    EXPECT_FALSE(ButtonStyle(482) & (TBBS_CHECKED | TBBS_INDETERMINATE));
    ClickButton(CPagePhotoes::ID_PHOTO_ACTUAL_SIZE);
    EXPECT_FALSE(page.GetImageWnd().GetImageStyle() & IWS_FIT);
    EXPECT_TRUE(ButtonStyle(482) & TBBS_CHECKED);
    CString zoom;
    page.GetDlgItemText(CPagePhotoes::IDC_ZOOM, zoom);
    EXPECT_STREQ(zoom, "100%");
    RightClick(CPagePhotoes::ID_PHOTO_ACTUAL_SIZE);
    EXPECT_TRUE(page.GetImageWnd().GetImageStyle() & IWS_FIT);

    // Deleting asks; the last photo's deletion shows the one before.
    answer = IDNO;
    RightClick(CPagePhotoes::ID_PHOTO_DELETE);
    EXPECT_EQ(page.GetCount(), 2);
    answer = IDYES;
    ClickButton(CPagePhotoes::ID_PHOTO_DELETE);
    EXPECT_STREQ(Position(), "1/1");
    CStringListEx out;
    page.ExchangePhotos(out, FALSE);
    ASSERT_EQ(out.GetCount(), 1);
    EXPECT_TRUE(out.GetHead().Right(5) == "a.png");
}

TEST_F(PhotoPageTest, ALargePhotoIsFittedAndShownAtItsOwnSize) {
    // The picture window reads a large photo at its own size only when it is shown so; the zoom
    // text always speaks of the photo's own size.
    WritePicture(m_dir.str() + "/big.jpg", QColor(30, 60, 90), 3200, 2400);
    CStringListEx in;
    in.AddTail("big.jpg");
    page.ExchangePhotos(in, TRUE);
    CImageWnd& wnd = page.GetImageWnd();
    CRect client;
    wnd.GetClientRect(&client);
    auto zoomText = [&] {
        page.GetImageWnd().GetWidget()->grab();
        CString zoom;
        page.GetDlgItemText(CPagePhotoes::IDC_ZOOM, zoom);
        return std::string((LPCTSTR)zoom);
    };
    const int fitted = (int)(FitImageInRect(CSize(3200, 2400), client, nullptr) * 100 + 0.5);
    ASSERT_LT(fitted, 50);
    EXPECT_EQ(zoomText(), std::to_string(fitted) + "%");
    EXPECT_NEAR(wnd.GetZoom() * 100, fitted, 0.5);
    ClickButton(CPagePhotoes::ID_PHOTO_ACTUAL_SIZE);
    EXPECT_EQ(zoomText(), "100%");
    EXPECT_TRUE(wnd.GetStyle() & WS_HSCROLL) << "the whole photo is wider than the window";
    SCROLLINFO si{sizeof si, SIF_RANGE, 0, 0, 0, 0, 0};
    wnd.GetScrollInfo(SB_HORZ, &si, SIF_RANGE);
    EXPECT_EQ(si.nMax, 3199);
    ClickButton(CPagePhotoes::ID_PHOTO_ACTUAL_SIZE);
    EXPECT_EQ(zoomText(), std::to_string(fitted) + "%");
    EXPECT_FALSE(wnd.GetStyle() & WS_HSCROLL);
}

// A view of an address book, as the contacts form is.
class CBookView : public CView {
    DECLARE_DYNCREATE(CBookView)
};
IMPLEMENT_DYNCREATE(CBookView, CView)

TEST_F(PhotoPageTest, RelativePhotosFollowTheBookOfTheViewThatHoldsTheSheet) {
    std::filesystem::create_directories(m_dir.path() / "books");
    CDocument doc;
    doc.m_bAutoDelete = FALSE;
    doc.SetPathName(PathOf("books/list.sms"), FALSE);
    CCreateContext ctx;
    ctx.m_pCurrentDoc = &doc;
    ctx.m_pNewViewClass = RUNTIME_CLASS(CBookView);
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "联系人", WS_POPUP, CRect(0, 0, 500, 400), nullptr, 0));
    CWnd* view = CView::CreateFromContext(&ctx, &host, AFX_IDW_PANE_FIRST, WS_CHILD | WS_VISIBLE,
                                          CRect(0, 0, 500, 400));
    ASSERT_NE(view, nullptr);
    CPagePhotoes inView;
    inView.SetDocumentPath(PathOf("elsewhere.sms")); // the view's book counts
    CHostSheet sheet;
    sheet.AddPage(&inView);
    ASSERT_TRUE(sheet.Create(view, WS_CHILD | WS_VISIBLE, 0));
    CStringListEx in;
    in.AddTail("..\\a.png");
    inView.ExchangePhotos(in, TRUE);
    EXPECT_EQ(inView.GetAbsolutePath(0).CompareNoCase(CanonicalizePath(PathOf("a.png"))), 0)
        << (LPCTSTR)inView.GetAbsolutePath(0);
    sheet.DestroyWindow();
    host.DestroyWindow();
}

TEST_F(PhotoPageTest, AMissingPictureSaysSo) {
    CString text;
    ASSERT_TRUE(text.LoadString(119));
    EXPECT_STREQ(text, "找不到图片文件！");
    CStringListEx in;
    in.AddTail("gone.png");
    page.ExchangePhotos(in, TRUE);
    EXPECT_FALSE(page.ShowPhoto(0));
    EXPECT_STREQ(Position(), "1/1");
    EXPECT_GT(DarkPixels(), 20) << "the text is drawn";
    CStringListEx none;
    page.ExchangePhotos(none, TRUE);
    EXPECT_EQ(DarkPixels(), 0) << "no photo, no text";
    // A double click on the picture itself reaches the page, which opens the picture.
    CStringListEx one;
    one.AddTail("a.png");
    page.ExchangePhotos(one, TRUE);
    CRect rc;
    page.GetImageWnd().GetClientRect(&rc);
    page.GetImageWnd().SendMessage(WM_LBUTTONDBLCLK, 0,
                                   MAKELPARAM(rc.CenterPoint().x, rc.CenterPoint().y));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_NE(opened[0].find("a.png"), std::string::npos);
}

TEST_F(PhotoPageTest, EditorListsThumbnailsAndWritesTheListBack) {
    std::filesystem::create_directories(m_dir.path() / "sub");
    WritePicture(m_dir.str() + "/sub/c.png", QColor(0, 0, 200), 300, 200);
    CStringListEx in;
    in.AddTail("a.png");
    in.AddTail(PathOf("b.png"));
    in.AddTail("D:\\elsewhere\\x.jpg"); // another drive: stays absolute
    in.SetCurrentIndex(1);
    page.ExchangePhotos(in, TRUE);

    std::vector<std::string> thumbnails;
    bool relativeBlue = false, absoluteBlue = true;
    OnDialogs({[&](CDialog& d) {
        auto& dlg = dynamic_cast<CDlgEditPhotoes&>(d);
        CImageListBox& box = dlg.GetListBox();
        ASSERT_EQ(box.GetCount(), 3);
        EXPECT_EQ(box.GetItemHeight(0), 96) << "rows as high as the thumbnails";
        EXPECT_EQ(dlg.GetSelected(), 1);
        for (int i = 0; i < 3; ++i)
            thumbnails.push_back(box.GetThumbnail(i) ? "picture" : "none");
        auto click = [&](UINT id) { d.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); };
        auto text = [&](UINT id) {
            CString t;
            d.GetDlgItemText(id, t);
            return std::string((LPCTSTR)t);
        };
        auto select = [&](int row) {
            box.SetCurSel(row);
            d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditPhotoes::IDC_LIST, LBN_SELCHANGE),
                          (LPARAM)box.m_hWnd);
        };
        QDir().mkpath(QUILLMAR_SCREENS_DIR);
        EXPECT_TRUE(d.GetWidget()->grab().toImage().save(
            QString::fromStdString(ScreenPath("contact_photo_editor"))));
        EXPECT_FALSE(d.GetDlgItem(IDOK)->IsWindowEnabled()) << "nothing changed yet";
        EXPECT_FALSE(dlg.IsStoredRelative());
        // The relative form of the absolute photo, and back.
        click(CDlgEditPhotoes::IDC_RELATIVE);
        d.CheckRadioButton(CDlgEditPhotoes::IDC_ABSOLUTE, CDlgEditPhotoes::IDC_RELATIVE,
                           CDlgEditPhotoes::IDC_RELATIVE);
        EXPECT_EQ(text(CDlgEditPhotoes::IDC_PATH), ".\\b.png");
        select(0);
        EXPECT_EQ(text(CDlgEditPhotoes::IDC_STORED), "a.png");
        EXPECT_TRUE(dlg.IsStoredRelative());
        d.GetDlgItem(CDlgEditPhotoes::IDC_STORED)->GetWidget()->grab();
        relativeBlue = d.GetDlgItem(CDlgEditPhotoes::IDC_STORED)
                           ->GetWidget()
                           ->palette()
                           .color(QPalette::Text) == QColor(0, 0, 255);
        // 打开文件夹 hands the folder to the desktop, never the file.
        click(CDlgEditPhotoes::IDC_OPEN_FOLDER);
        // A sub-folder photo inserted after the selection, in relative form.
        d.SetDlgItemText(CDlgEditPhotoes::IDC_PATH, PathOf("sub/c.png"));
        click(CDlgEditPhotoes::IDC_ABSOLUTE);
        click(CDlgEditPhotoes::IDC_RELATIVE);
        EXPECT_EQ(text(CDlgEditPhotoes::IDC_PATH), ".\\sub\\c.png");
        click(CDlgEditPhotoes::IDC_INSERT_AFTER);
        ASSERT_EQ(box.GetCount(), 4);
        EXPECT_EQ(dlg.GetSelected(), 1);
        EXPECT_NE(box.GetThumbnail(1), nullptr);
        // Moved to the top, a.png deleted, the rest made relative.
        click(CDlgEditPhotoes::IDC_UP);
        EXPECT_EQ(dlg.GetSelected(), 0);
        EXPECT_FALSE(d.GetDlgItem(CDlgEditPhotoes::IDC_UP)->IsWindowEnabled());
        select(1);
        click(CDlgEditPhotoes::IDC_DELETE);
        // Shown in absolute form, then every path made relative: the form shown follows.
        d.CheckRadioButton(CDlgEditPhotoes::IDC_ABSOLUTE, CDlgEditPhotoes::IDC_RELATIVE,
                           CDlgEditPhotoes::IDC_ABSOLUTE);
        click(CDlgEditPhotoes::IDC_ABSOLUTE);
        click(CDlgEditPhotoes::IDC_ALL_RELATIVE);
        EXPECT_TRUE(d.IsDlgButtonChecked(CDlgEditPhotoes::IDC_RELATIVE));
        EXPECT_FALSE(d.IsDlgButtonChecked(CDlgEditPhotoes::IDC_ABSOLUTE));
        EXPECT_EQ(text(CDlgEditPhotoes::IDC_PATH), ".\\b.png");
        select(2);
        EXPECT_EQ(text(CDlgEditPhotoes::IDC_STORED), "D:\\elsewhere\\x.jpg");
        d.GetDlgItem(CDlgEditPhotoes::IDC_STORED)->GetWidget()->grab();
        absoluteBlue = d.GetDlgItem(CDlgEditPhotoes::IDC_STORED)
                           ->GetWidget()
                           ->palette()
                           .color(QPalette::Text) == QColor(0, 0, 255);
        select(1);
        EXPECT_TRUE(d.GetDlgItem(IDOK)->IsWindowEnabled());
        d.EndDialog(IDOK);
    }});
    RightClick(CPagePhotoes::ID_PHOTO_EDIT);
    // A photo that cannot be read gets a thumbnail that says so.
    EXPECT_EQ(thumbnails, (std::vector<std::string>{"picture", "picture", "picture"}));
    EXPECT_TRUE(relativeBlue);
    EXPECT_FALSE(absoluteBlue);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].find("a.png"), std::string::npos) << opened[0];
    EXPECT_EQ(opened[0].substr(opened[0].size() - 4), m_dir.str().substr(m_dir.str().size() - 4));

    EXPECT_TRUE(page.IsChanged());
    EXPECT_EQ(page.GetCurrent(), 1);
    CStringListEx out;
    page.ExchangePhotos(out, FALSE);
    std::vector<std::string> stored;
    for (POSITION pos = out.GetHeadPosition(); pos;)
        stored.push_back((LPCTSTR)out.GetNext(pos));
    EXPECT_EQ(stored,
              (std::vector<std::string>{".\\sub\\c.png", ".\\b.png", "D:\\elsewhere\\x.jpg"}));
    EXPECT_EQ(out.GetCurrentIndex(), 1);

    // Deleting everything asks first; a cancelled editor leaves the page as it was.
    OnDialogs({[&](CDialog& d) {
        d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditPhotoes::IDC_DELETE_ALL, BN_CLICKED), 0);
        EXPECT_EQ(dynamic_cast<CDlgEditPhotoes&>(d).GetListBox().GetCount(), 0);
        d.EndDialog(IDCANCEL);
    }});
    messages.clear();
    RightClick(CPagePhotoes::ID_PHOTO_EDIT);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "您真的要删除全部吗？");
    EXPECT_EQ(page.GetCount(), 3);
}

TEST_F(PhotoPageTest, OpeningTheFolderOfAMissingPhotoSaysItIsMissing) {
    CStringList photos;
    photos.AddTail("gone.png");
    CDlgEditPhotoes dlg(photos, 0, PathOf("book.sms"), &page);
    OnDialogs({[&](CDialog& d) {
        d.SendMessage(WM_COMMAND, MAKEWPARAM(CDlgEditPhotoes::IDC_OPEN_FOLDER, BN_CLICKED), 0);
        d.EndDialog(IDCANCEL);
    }});
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "找不到图片文件！");
}

TEST_F(PhotoPageTest, PageWithItsToolBar) {
    CStringListEx in;
    in.AddTail("a.png");
    in.AddTail("b.png");
    page.ExchangePhotos(in, TRUE);
    CRect bar, image, client;
    page.GetToolBar().GetWindowRect(&bar);
    page.GetImageWnd().GetWindowRect(&image);
    page.ScreenToClient(&bar);
    page.ScreenToClient(&image);
    page.GetClientRect(&client);
    EXPECT_GT(bar.top, image.bottom) << "the tool bar sits below the picture";
    EXPECT_LE(std::abs(bar.CenterPoint().x - client.CenterPoint().x), 2) << "centred";
    EXPECT_EQ(page.GetToolBar().GetCount(), 8);
    QDir().mkpath(QUILLMAR_SCREENS_DIR);
    EXPECT_TRUE(m_sheet.GetWidget()->grab().toImage().save(
        QString::fromStdString(ScreenPath("contact_photo_page"))));
}

} // namespace
