#include "GuiTestSupport.h"

#include "platform/base/OsPath.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/MessageBox.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QHeaderView>
#include <QStyle>
#include <QTreeView>
#include <QFile>
#include <QDateTime>

#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

class CommonDialogsTest : public GuiTest {
protected:
    void TearDown() override { AfxSetModalDialogHook(nullptr); }
};

TEST_F(CommonDialogsTest, AnswersComeBackInTheClassicBuffer) {
    AfxSetModalDialogHook([](CDialog& d) {
        auto& f = dynamic_cast<CFileDialog&>(d);
        CStringArray paths;
        paths.Add("/home/u/文档/a.psn");
        paths.Add("/home/u/文档/b.psn");
        f.Answer(paths, 2);
    });
    CFileDialog open(TRUE, "psn", nullptr, OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST,
                     "联系人文件 (*.psn)|*.psn|所有文件 (*.*)|*.*||");
    ASSERT_EQ(IDOK, open.DoModal());
    EXPECT_EQ(2u, open.m_ofn.nFilterIndex);
    std::vector<std::string> got;
    for (POSITION pos = open.GetStartPosition(); pos;)
        got.push_back((LPCTSTR)open.GetNextPathName(pos));
    EXPECT_EQ((std::vector<std::string>{"/home/u/文档/a.psn", "/home/u/文档/b.psn"}), got);
    EXPECT_EQ(0u, CommDlgExtendedError());
    EXPECT_EQ(0, memcmp("联系人文件 (*.psn)\0*.psn\0", open.m_ofn.lpstrFilter, 25));

    // A save gets the default extension; a single file has no folder part of its own.
    AfxSetModalDialogHook([](CDialog& d) { dynamic_cast<CFileDialog&>(d).Answer("/tmp/新建"); });
    CFileDialog save(FALSE, "psn");
    ASSERT_EQ(IDOK, save.DoModal());
    EXPECT_STREQ("/tmp/新建.psn", (LPCTSTR)save.GetPathName());
    EXPECT_STREQ("新建.psn", (LPCTSTR)save.GetFileName());
    EXPECT_STREQ("psn", (LPCTSTR)save.GetFileExt());
    EXPECT_STREQ("新建", (LPCTSTR)save.GetFileTitle());
    EXPECT_EQ(5, save.m_ofn.nFileOffset);

    // Too many names for the caller's buffer: the dialog fails and says how much it needs, so
    // the caller can retry with a larger one.
    AfxSetModalDialogHook([](CDialog& d) {
        CStringArray paths;
        for (int i = 0; i < 40; ++i) {
            CString p;
            p.Format("/home/u/文件夹/名字很长的文件%02d.psn", i);
            paths.Add(p);
        }
        dynamic_cast<CFileDialog&>(d).Answer(paths);
    });
    CFileDialog multi(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT);
    char small[520];
    multi.m_ofn.lpstrFile = small;
    multi.m_ofn.nMaxFile = sizeof small;
    EXPECT_EQ(IDCANCEL, multi.DoModal());
    EXPECT_EQ((DWORD)FNERR_BUFFERTOOSMALL, CommDlgExtendedError());
    WORD need;
    memcpy(&need, small, 2);
    EXPECT_GT(need, 520);
    std::vector<char> big(need);
    multi.m_ofn.lpstrFile = big.data();
    multi.m_ofn.nMaxFile = need;
    EXPECT_EQ(IDOK, multi.DoModal());
    int count = 0;
    for (POSITION pos = multi.GetStartPosition(); pos; multi.GetNextPathName(pos))
        ++count;
    EXPECT_EQ(40, count);
}

TEST_F(CommonDialogsTest, ColourAndFontDialogsKeepTheirAnswers) {
    CColorDialog colour(RGB(1, 2, 3));
    EXPECT_EQ(RGB(1, 2, 3), colour.GetColor());
    AfxSetModalDialogHook(
        [](CDialog& d) { dynamic_cast<CColorDialog&>(d).Answer(RGB(255, 0, 0)); });
    ASSERT_EQ(IDOK, colour.DoModal());
    EXPECT_EQ(RGB(255, 0, 0), colour.GetColor());

    LOGFONT initial{};
    initial.lfHeight = -12;
    strcpy(initial.lfFaceName, "宋体");
    CFontDialog font(&initial);
    AfxSetModalDialogHook([](CDialog& d) {
        LOGFONT lf{};
        lf.lfHeight = -16;
        lf.lfWeight = 700;
        lf.lfItalic = 1;
        strcpy(lf.lfFaceName, "黑体");
        dynamic_cast<CFontDialog&>(d).Answer(lf, RGB(0, 0, 255));
    });
    ASSERT_EQ(IDOK, font.DoModal());
    EXPECT_STREQ("黑体", (LPCTSTR)font.GetFaceName());
    EXPECT_EQ(120, font.GetSize()); // 16 pixels are 12 points
    EXPECT_TRUE(font.IsBold());
    EXPECT_TRUE(font.IsItalic());
    EXPECT_EQ(RGB(0, 0, 255), font.GetColor());
    LOGFONT out{};
    font.GetCurrentFont(&out);
    EXPECT_EQ(-16, out.lfHeight);

    AfxSetModalDialogHook([](CDialog&) {}); // no answer: cancelled, nothing changes
    CColorDialog untouched(RGB(9, 9, 9));
    EXPECT_EQ(IDCANCEL, untouched.DoModal());
    EXPECT_EQ(RGB(9, 9, 9), untouched.GetColor());
}

// The real file dialog, as a user meets it: Qt's own texts in Chinese, each type's patterns
// shown once, and the question before a file is replaced asked in Chinese too.
TEST_F(CommonDialogsTest, TheFileDialogSpeaksChineseAndShowsEachPatternOnce) {
    QTemporaryDir dir;
    std::ofstream(dir.filePath("old.sms").toStdString()) << "x";
    QDir(dir.path()).mkdir("sub");
    CFileDialog save(FALSE, "sms", dir.filePath("old.sms").toUtf8().constData(),
                     OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY,
                     "通讯录文件 (*.sms)|*.sms|全部文件|*.*;*.bak||");
    QString title, lookIn, question, saveText;
    QStringList types, questionButtons;
    std::map<QString, QString> kinds; // the type column, by name
    QElapsedTimer waited;
    waited.start();
    std::function<void()> user = [&] {
        auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* model = dlg ? dlg->findChild<QFileSystemModel*>() : nullptr;
        QModelIndex root = model ? model->index(dir.path()) : QModelIndex();
        if (!dlg || (model->rowCount(root) < 2 && waited.elapsed() < 5000)) {
            QTimer::singleShot(20, user);
            return;
        }
        for (int r = 0; r < model->rowCount(root); ++r)
            kinds[model->index(r, 0, root).data().toString()] =
                model->index(r, 2, root).data().toString();
        title = dlg->windowTitle();
        if (auto* label = dlg->findChild<QLabel*>("lookInLabel"))
            lookIn = label->text();
        if (auto* combo = dlg->findChild<QComboBox*>("fileTypeCombo"))
            for (int i = 0; i < combo->count(); ++i)
                types << combo->itemText(i);
        // Saving over the existing file asks first; the answer "no" keeps the dialog open.
        QTimer::singleShot(50, [&, dlg] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                question = box->text();
                for (QAbstractButton* b : box->buttons())
                    questionButtons << b->text();
                box->reject();
            }
            QTimer::singleShot(50, dlg, [dlg] { dlg->reject(); });
        });
        // The user presses the dialog's save button.
        if (auto* box = dlg->findChild<QDialogButtonBox*>())
            for (QAbstractButton* b : box->buttons())
                if (box->buttonRole(b) == QDialogButtonBox::AcceptRole) {
                    saveText = b->text();
                    b->click();
                    return;
                }
    };
    QTimer::singleShot(0, user);
    EXPECT_EQ(IDCANCEL, save.DoModal());
    EXPECT_EQ(QStringLiteral("另存为"), title);
    EXPECT_TRUE(lookIn.contains(QStringLiteral("查找范围"))) << lookIn.toStdString();
    EXPECT_EQ(
        (QStringList{QStringLiteral("通讯录文件 (*.sms)"), QStringLiteral("全部文件 (*.* *.bak)")}),
        types);
    EXPECT_TRUE(saveText.contains(QStringLiteral("保存"))) << saveText.toStdString();
    EXPECT_TRUE(question.contains(QStringLiteral("已存在"))) << question.toStdString();
    EXPECT_TRUE(questionButtons.contains(QStringLiteral("是(&Y)")))
        << questionButtons.join('|').toStdString();
    // The type column names folders in Chinese as well.
    EXPECT_EQ(QStringLiteral("文件夹"), kinds[QStringLiteral("sub")]);
}

// The columns of the file dialog follow the program's Chinese locale, not the system's (the
// suite runs under LANG=C): sizes in 字节, dates as the program writes them, folders named 文件夹.
TEST_F(CommonDialogsTest, TheFileDialogsColumnsAreInTheProgramsLocale) {
    QTemporaryDir dir;
    const QString file = dir.filePath("five.sms");
    std::ofstream(file.toStdString()) << "12345";
    QDir(dir.path()).mkdir("sub");
    const QDateTime stamp(QDate(2026, 12, 11), QTime(8, 12, 32));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    CFileDialog open(TRUE, nullptr, nullptr, OFN_HIDEREADONLY, "通讯录文件 (*.sms)|*.sms||");
    const std::string initialDir = dir.path().toStdString();
    open.m_ofn.lpstrInitialDir = initialDir.c_str();
    // What the detail view shows, row by row: name -> the texts of its columns.
    std::map<QString, QStringList> rows;
    int dateWidth = 0, dateColumn = 0;
    QElapsedTimer waited;
    waited.start();
    std::function<void()> user = [&] {
        auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* view = dlg ? dlg->findChild<QTreeView*>("treeView") : nullptr;
        QAbstractItemModel* model = view ? view->model() : nullptr;
        QModelIndex root = view ? view->rootIndex() : QModelIndex();
        auto ready = [&] {
            if (!model || model->rowCount(root) < 2)
                return false;
            for (int r = 0; r < model->rowCount(root); ++r)
                if (model->index(r, 3, root).data().toString().isEmpty())
                    return false;
            return true;
        };
        if (!ready() && (!dlg || waited.elapsed() < 5000)) {
            QTimer::singleShot(20, user);
            return;
        }
        for (int r = 0; model && r < model->rowCount(root); ++r) {
            QStringList columns;
            for (int c = 1; c < model->columnCount(root); ++c)
                columns << model->index(r, c, root).data().toString();
            rows[model->index(r, 0, root).data().toString()] = columns;
        }
        // The date is shown whole, not cut short: its text and the cell's margins (the style's
        // focus frame and a pixel on either side) fit the column.
        QModelIndex date = model->index(0, 3, root);
        const int margin =
            view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
        dateWidth = view->fontMetrics().horizontalAdvance(date.data().toString()) + 2 * margin;
        dateColumn = view->header()->sectionSize(3);
        // Picking the file in the view still names the file itself.
        for (int r = 0; model && r < model->rowCount(root); ++r)
            if (model->index(r, 0, root).data().toString() == QStringLiteral("five.sms"))
                view->setCurrentIndex(model->index(r, 0, root));
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Return);
        if (dlg->isVisible())
            dlg->reject();
    };
    QTimer::singleShot(0, user);
    EXPECT_EQ(IDOK, open.DoModal());
    EXPECT_STREQ(ProgramPathFromOsPath(file.toStdString()), open.GetPathName());
    ASSERT_EQ(1u, rows.count(QStringLiteral("five.sms")));
    ASSERT_EQ(1u, rows.count(QStringLiteral("sub")));
    const QStringList& five = rows[QStringLiteral("five.sms")];
    EXPECT_EQ(QStringLiteral("5 字节"), five.value(0)) << five.join('|').toStdString();
    EXPECT_EQ(QStringLiteral("2026/12/11 08:12"), five.value(2)) << five.join('|').toStdString();
    EXPECT_EQ(QStringLiteral("文件夹"), rows[QStringLiteral("sub")].value(1));
    EXPECT_GE(dateColumn, dateWidth);
}

// Qt's translation stays out of the buttons of our own message boxes: each keeps its own text.
TEST_F(CommonDialogsTest, MessageBoxButtonsKeepTheirOwnTextsBesideQtsTranslation) {
    struct {
        UINT type;
        QStringList buttons;
    } cases[] = {
        {MB_OK, {QStringLiteral("确定")}},
        {MB_OKCANCEL, {QStringLiteral("确定"), QStringLiteral("取消")}},
        {MB_YESNOCANCEL, {QStringLiteral("是(&Y)"), QStringLiteral("否(&N)"), QStringLiteral("取消")}},
        {MB_RETRYCANCEL, {QStringLiteral("重试(&R)"), QStringLiteral("取消")}},
    };
    for (const auto& c : cases) {
        QStringList shown;
        std::function<void()> look = [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                QTimer::singleShot(20, look);
                return;
            }
            for (QAbstractButton* b : box->buttons())
                shown << b->text();
            box->reject();
        };
        QTimer::singleShot(0, look);
        AfxShowMessageBox(nullptr, "文本", "标题", c.type);
        shown.sort();
        QStringList expected = c.buttons;
        expected.sort();
        EXPECT_EQ(expected, shown) << c.type;
    }
}

// Escape answers a box as its Cancel button does, and a lone OK; a box without either keeps
// waiting for an answer (its buttons' letters still work).
TEST_F(CommonDialogsTest, EscapeAnswersAMessageBoxWithItsCancel) {
    struct {
        UINT type;
        int expected;
    } cases[] = {
        {MB_OK, IDOK},
        {MB_OKCANCEL, IDCANCEL},
        {MB_YESNOCANCEL, IDCANCEL},
        {MB_RETRYCANCEL, IDCANCEL},
        {MB_YESNO, IDNO},
    };
    for (const auto& c : cases) {
        bool stillShown = false;
        std::function<void()> press = [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                QTimer::singleShot(20, press);
                return;
            }
            QTest::keyClick(box, Qt::Key_Escape);
            QApplication::processEvents();
            stillShown = box->isVisible();
            if (stillShown)
                QTest::keyClick(box, Qt::Key_N, Qt::AltModifier);
            QApplication::processEvents();
            if (box->isVisible())
                box->reject();
        };
        QTimer::singleShot(0, press);
        EXPECT_EQ(c.expected, AfxShowMessageBox(nullptr, "文本", "标题", c.type)) << c.type;
        EXPECT_EQ(c.type == MB_YESNO, stillShown) << c.type;
    }
}

// The caption the caller sets is the one shown, for opening and for saving; without one the
// dialog keeps its own.
TEST_F(CommonDialogsTest, TheFileDialogShowsTheCaptionItsCallerGives) {
    struct {
        BOOL bOpen;
        const char* caption;
        QString expected;
    } cases[] = {
        {FALSE, "新建发信人文件", QStringLiteral("新建发信人文件")},
        {TRUE, "打开发信人文件", QStringLiteral("打开发信人文件")},
        {FALSE, "", QStringLiteral("另存为")},
    };
    for (const auto& c : cases) {
        CFileDialog dlg(c.bOpen, "sdr", nullptr, OFN_HIDEREADONLY, "发信人文件 (*.sdr)|*.sdr||");
        dlg.m_ofn.lpstrTitle = c.caption;
        QString title;
        std::function<void()> user = [&] {
            auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!shown) {
                QTimer::singleShot(20, user);
                return;
            }
            title = shown->windowTitle();
            shown->reject();
        };
        QTimer::singleShot(0, user);
        EXPECT_EQ(IDCANCEL, dlg.DoModal());
        EXPECT_EQ(c.expected, title) << c.caption;
    }
}

} // namespace
