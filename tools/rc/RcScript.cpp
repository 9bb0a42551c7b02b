#include "RcScript.h"

#include "platform/base/Gbk.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace rc {

namespace {

enum class Tok { End, Name, Number, String, Punct };

struct Token {
    Tok kind = Tok::End;
    std::string text; // names, punctuation, and strings as written (UTF-8, escapes resolved)
    long number = 0;
    int line = 0;
};

class Lexer {
public:
    Lexer(const std::string& text, std::string file) : m_s(text), m_file(std::move(file)) {}

    // The next token; preprocessor lines come back as one Name token starting with '#'.
    Token Next() {
        SkipSpace();
        Token t;
        t.line = m_line;
        if (m_pos >= m_s.size())
            return t;
        char c = m_s[m_pos];
        if (c == '#' && m_atLineStart) {
            size_t end = m_s.find('\n', m_pos);
            if (end == std::string::npos)
                end = m_s.size();
            t.kind = Tok::Name;
            t.text = m_s.substr(m_pos, end - m_pos);
            if (!t.text.empty() && t.text.back() == '\r')
                t.text.pop_back();
            m_pos = end;
            return t;
        }
        m_atLineStart = false;
        if (c == '"')
            return String(t);
        if (std::isdigit((unsigned char)c))
            return Number(t);
        if (std::isalpha((unsigned char)c) || c == '_') {
            size_t b = m_pos;
            while (m_pos < m_s.size() &&
                   (std::isalnum((unsigned char)m_s[m_pos]) || m_s[m_pos] == '_'))
                ++m_pos;
            t.kind = Tok::Name;
            t.text = m_s.substr(b, m_pos - b);
            return t;
        }
        if (std::string(",|()+-{}~").find(c) != std::string::npos) {
            ++m_pos;
            t.kind = Tok::Punct;
            t.text = std::string(1, c);
            return t;
        }
        Fail(m_line, std::string("unexpected character '") + c + "'");
    }

    [[noreturn]] void Fail(int line, const std::string& what) const {
        throw RcError(m_file, line, what);
    }
    const std::string& File() const { return m_file; }

private:
    void SkipSpace() {
        while (m_pos < m_s.size()) {
            char c = m_s[m_pos];
            if (c == '\n') {
                ++m_line;
                ++m_pos;
                m_atLineStart = true;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++m_pos;
            } else if (m_s.compare(m_pos, 2, "//") == 0) {
                while (m_pos < m_s.size() && m_s[m_pos] != '\n')
                    ++m_pos;
            } else if (m_s.compare(m_pos, 2, "/*") == 0) {
                size_t end = m_s.find("*/", m_pos + 2);
                if (end == std::string::npos)
                    Fail(m_line, "unterminated comment");
                for (size_t i = m_pos; i < end; ++i)
                    m_line += m_s[i] == '\n';
                m_pos = end + 2;
            } else {
                break;
            }
        }
    }

    Token String(Token& t) {
        ++m_pos;
        std::string out;
        for (;;) {
            if (m_pos >= m_s.size() || m_s[m_pos] == '\n')
                Fail(t.line, "unterminated string");
            char c = m_s[m_pos++];
            if (c == '"') {
                // A doubled quote stands for one quote inside the string.
                if (m_pos < m_s.size() && m_s[m_pos] == '"') {
                    out += '"';
                    ++m_pos;
                    continue;
                }
                break;
            }
            if (c == '\\' && m_pos < m_s.size()) {
                char e = m_s[m_pos++];
                switch (e) {
                case 'n':
                    out += '\n';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 'a':
                    out += '\b';
                    break; // the right-aligned tab of menu texts
                case '\\':
                    out += '\\';
                    break;
                case '"':
                    out += '"';
                    break;
                default:
                    Fail(t.line, std::string("unknown escape \\") + e);
                }
                continue;
            }
            out += c;
        }
        t.kind = Tok::String;
        t.text = out;
        return t;
    }

    Token Number(Token& t) {
        size_t b = m_pos;
        int base = 10;
        if (m_s.compare(m_pos, 2, "0x") == 0 || m_s.compare(m_pos, 2, "0X") == 0) {
            base = 16;
            m_pos += 2;
        }
        size_t digits = m_pos;
        while (m_pos < m_s.size() && std::isxdigit((unsigned char)m_s[m_pos]))
            ++m_pos;
        std::string d = m_s.substr(digits, m_pos - digits);
        if (d.empty() || (base == 10 && d.find_first_not_of("0123456789") != std::string::npos))
            Fail(t.line, "bad number '" + m_s.substr(b, m_pos - b) + "'");
        t.number = (long)std::stoul(d, nullptr, base);
        if (m_pos < m_s.size() && (m_s[m_pos] == 'L' || m_s[m_pos] == 'l' || m_s[m_pos] == 'U'))
            ++m_pos;
        if (m_pos < m_s.size() && (std::isalpha((unsigned char)m_s[m_pos]) || m_s[m_pos] == '_'))
            Fail(t.line, "bad number '" + m_s.substr(b, m_pos - b + 1) + "'");
        t.kind = Tok::Number;
        t.text = m_s.substr(b, m_pos - b);
        return t;
    }

    const std::string& m_s;
    std::string m_file;
    size_t m_pos = 0;
    int m_line = 1;
    bool m_atLineStart = true;
};

std::string DirOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string ReadAll(const std::string& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    ok = static_cast<bool>(in);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string Gbk(const std::string& utf8) {
    CString s = Utf8ToGbk(utf8);
    return std::string(s.GetString(), (size_t)s.GetLength());
}

class Parser {
public:
    Parser(const std::string& text, const std::string& file, Script& script)
        : m_lex(text, file), m_script(script) {
        Advance();
    }

    void Run() {
        while (m_tok.kind != Tok::End) {
            if (m_tok.kind == Tok::Name && m_tok.text[0] == '#') {
                Directive();
                continue;
            }
            Statement();
        }
    }

private:
    void Advance() { m_tok = m_lex.Next(); }
    [[noreturn]] void Fail(const std::string& what) { m_lex.Fail(m_tok.line, what); }
    bool IsName(const char* n) const { return m_tok.kind == Tok::Name && m_tok.text == n; }
    bool IsPunct(char c) const { return m_tok.kind == Tok::Punct && m_tok.text[0] == c; }
    std::string Describe() const {
        return m_tok.kind == Tok::End ? "end of file" : "'" + m_tok.text + "'";
    }
    void Expect(char c) {
        if (!IsPunct(c))
            Fail(std::string("expected '") + c + "', found " + Describe());
        Advance();
    }
    bool Accept(char c) {
        if (!IsPunct(c))
            return false;
        Advance();
        return true;
    }
    std::string ExpectString() {
        if (m_tok.kind != Tok::String)
            Fail("expected a string, found " + Describe());
        std::string s = m_tok.text;
        Advance();
        return s;
    }
    void Begin() {
        if (IsName("BEGIN") || IsPunct('{'))
            Advance();
        else
            Fail("expected BEGIN, found " + Describe());
    }
    bool AtEnd() {
        if (m_tok.kind == Tok::End)
            Fail("missing END");
        if (IsName("END") || IsPunct('}')) {
            Advance();
            return true;
        }
        return false;
    }

    long Lookup(const std::string& name) {
        auto it = m_script.defines.find(name);
        if (it != m_script.defines.end())
            return it->second;
        long v = 0;
        if (KnownConstant(name, v))
            return v;
        Fail("unknown name '" + name + "'");
    }

    long Term() {
        if (Accept('(')) {
            long v = Expr();
            Expect(')');
            return v;
        }
        if (Accept('-'))
            return -Term();
        if (Accept('~'))
            return ~Term();
        if (m_tok.kind == Tok::Number) {
            long v = m_tok.number;
            Advance();
            return v;
        }
        if (m_tok.kind == Tok::Name && !IsName("NOT") && m_tok.text[0] != '#') {
            long v = Lookup(m_tok.text);
            Advance();
            return v;
        }
        Fail("expected a number or a name, found " + Describe());
    }

    long Expr() {
        long v = Term();
        while (IsPunct('|') || IsPunct('+')) {
            bool plus = IsPunct('+');
            Advance();
            long t = Term();
            v = plus ? v + t : (v | t);
        }
        return v;
    }

    // A style: the defaults, with "NOT X" taking X away.
    // typeMask: the bits that make a control's type, a number rather than flags (a combo box's
    // simple, drop-down and drop-list kinds): a type given replaces the default type instead of
    // being or-ed into it.
    uint32_t Style(uint32_t defaults, uint32_t typeMask = 0) {
        uint32_t v = defaults;
        uint32_t added = 0;
        bool first = true;
        do {
            if (!first)
                Advance();
            first = false;
            if (IsName("NOT")) {
                Advance();
                v &= ~(uint32_t)Term();
            } else {
                const uint32_t term = (uint32_t)Term();
                added |= term;
                v |= term;
            }
        } while (IsPunct('|'));
        if ((added & typeMask) != 0)
            v = (v & ~typeMask) | (added & typeMask);
        return v;
    }

    void Directive() {
        std::istringstream line(m_tok.text.substr(1));
        int lineNo = m_tok.line;
        std::string word;
        line >> word;
        if (word == "define") {
            // Read before the statements, so values may use earlier names.
        } else if (word == "include") {
            std::string path;
            std::getline(line, path);
            size_t a = path.find('"'), b = path.rfind('"');
            if (a == std::string::npos || b <= a)
                m_lex.Fail(lineNo, "#include needs a quoted file name");
            std::string inc = DirOf(m_lex.File()) + "/" + path.substr(a + 1, b - a - 1);
            bool ok = false;
            std::string text = ReadAll(inc, ok);
            if (!ok)
                m_lex.Fail(lineNo, "cannot read " + inc);
            ParseScript(text, inc, m_script);
        } else if (word != "pragma" && word != "undef") {
            m_lex.Fail(lineNo, "unsupported directive #" + word);
        }
        Advance();
    }

    void Statement() {
        if (IsName("STRINGTABLE")) {
            Advance();
            SkipOptions();
            StringTable();
            return;
        }
        if (IsName("LANGUAGE")) {
            Advance();
            Expr();
            Expect(',');
            Expr();
            return;
        }
        // "<id or name> KIND ..."
        long id = 0;
        std::string name;
        int line = m_tok.line;
        if (m_tok.kind == Tok::Number) {
            id = m_tok.number;
            Advance();
        } else if (m_tok.kind == Tok::Name) {
            name = m_tok.text;
            Advance();
        } else {
            Fail("expected a resource id, found " + Describe());
        }
        if (m_tok.kind != Tok::Name)
            Fail("expected a resource kind, found " + Describe());
        std::string kind = m_tok.text;
        Advance();
        bool isImage = kind == "ICON" || kind == "BITMAP" || kind == "CURSOR";
        // A symbolic id names a number unless it names an image resource by its name.
        if (!name.empty() && !(isImage && !m_script.defines.count(name))) {
            auto it = m_script.defines.find(name);
            if (it == m_script.defines.end())
                m_lex.Fail(line, "unknown name '" + name + "'");
            id = it->second;
            name.clear();
        }
        if (kind == "DIALOG" || kind == "DIALOGEX")
            DialogRes(id);
        else if (kind == "MENU" || kind == "MENUEX")
            MenuRes(id);
        else if (kind == "ACCELERATORS")
            AccelRes(id);
        else if (kind == "TOOLBAR")
            ToolBarRes(id);
        else if (kind == "DLGINIT")
            DlgInitRes(id);
        else if (isImage)
            ImageRes(kind == "ICON" ? 3 : kind == "BITMAP" ? 2 : 1, id, name);
        else
            m_lex.Fail(line, "unknown resource kind '" + kind + "'");
    }

    void SkipOptions() {
        while (IsName("DISCARDABLE") || IsName("MOVEABLE") || IsName("PURE") || IsName("PRELOAD") ||
               IsName("LOADONCALL") || IsName("IMPURE") || IsName("FIXED"))
            Advance();
    }

    void StringTable() {
        Begin();
        while (!AtEnd()) {
            long id = Expr();
            Accept(',');
            int line = m_tok.line;
            std::string text = ExpectString();
            if (m_script.strings.count(id))
                m_lex.Fail(line, "string " + std::to_string(id) + " defined twice");
            m_script.strings[id] = Gbk(text);
        }
    }

    void DialogRes(long id) {
        SkipOptions();
        Dialog d;
        d.id = id;
        d.x = (int)Expr();
        Expect(',');
        d.y = (int)Expr();
        Expect(',');
        d.cx = (int)Expr();
        Expect(',');
        d.cy = (int)Expr();
        if (Accept(','))
            Expr(); // help id
        d.style = WS_POPUP_ | WS_BORDER_ | WS_SYSMENU_;
        for (;;) {
            if (IsName("STYLE")) {
                Advance();
                d.style = Style(0);
            } else if (IsName("EXSTYLE")) {
                Advance();
                d.exStyle = Style(0);
            } else if (IsName("CAPTION")) {
                Advance();
                d.caption = Gbk(ExpectString());
                d.style |= 0x00C00000u; // a caption brings the title bar
            } else if (IsName("FONT")) {
                Advance();
                d.pointSize = (int)Expr();
                Expect(',');
                d.face = Gbk(ExpectString());
                while (Accept(','))
                    Expr();
            } else if (IsName("MENU") || IsName("CLASS")) {
                Advance();
                if (m_tok.kind == Tok::String)
                    Advance();
                else
                    Expr();
            } else {
                break;
            }
        }
        Begin();
        while (!AtEnd())
            d.items.push_back(Control());
        for (const Dialog& other : m_script.dialogs)
            if (other.id == id)
                Fail("dialog " + std::to_string(id) + " defined twice");
        m_script.dialogs.push_back(std::move(d));
    }

    static constexpr uint32_t WS_POPUP_ = 0x80000000u, WS_BORDER_ = 0x00800000u,
                              WS_SYSMENU_ = 0x00080000u, WS_CHILD_ = 0x40000000u,
                              WS_VISIBLE_ = 0x10000000u, WS_TABSTOP_ = 0x00010000u,
                              WS_GROUP_ = 0x00020000u, WS_VSCROLL_ = 0x00200000u;

    void Rect(DialogItem& it, bool size = true) {
        it.x = (int)Expr();
        Expect(',');
        it.y = (int)Expr();
        if (size) {
            Expect(',');
            it.cx = (int)Expr();
            Expect(',');
            it.cy = (int)Expr();
        }
    }

    void Styles(DialogItem& it, uint32_t defaults, uint32_t typeMask = 0) {
        it.style = WS_CHILD_ | WS_VISIBLE_ | defaults;
        if (Accept(',')) {
            it.style = Style(it.style, typeMask);
            if (Accept(','))
                it.exStyle = Style(0);
        }
    }

    DialogItem Control() {
        if (m_tok.kind != Tok::Name)
            Fail("expected a control, found " + Describe());
        std::string kind = m_tok.text;
        int line = m_tok.line;
        Advance();
        DialogItem it;
        struct TextKind {
            const char* name;
            const char* cls;
            uint32_t defaults;
        };
        static const TextKind textKinds[] = {
            {"LTEXT", "STATIC", 0x0u | WS_GROUP_},
            {"CTEXT", "STATIC", 0x1u | WS_GROUP_},
            {"RTEXT", "STATIC", 0x2u | WS_GROUP_},
            {"PUSHBUTTON", "BUTTON", 0x0u | WS_TABSTOP_},
            {"DEFPUSHBUTTON", "BUTTON", 0x1u | WS_TABSTOP_},
            {"CHECKBOX", "BUTTON", 0x2u | WS_TABSTOP_},
            {"AUTOCHECKBOX", "BUTTON", 0x3u | WS_TABSTOP_},
            {"RADIOBUTTON", "BUTTON", 0x4u},
            {"STATE3", "BUTTON", 0x5u | WS_TABSTOP_},
            {"AUTO3STATE", "BUTTON", 0x6u | WS_TABSTOP_},
            {"GROUPBOX", "BUTTON", 0x7u},
            {"AUTORADIOBUTTON", "BUTTON", 0x9u},
        };
        for (const TextKind& k : textKinds) {
            if (kind != k.name)
                continue;
            it.className = k.cls;
            it.text = Gbk(ExpectString());
            Expect(',');
            it.id = Expr();
            Expect(',');
            Rect(it);
            Styles(it, k.defaults);
            return it;
        }
        struct PlainKind {
            const char* name;
            const char* cls;
            uint32_t defaults;
            uint32_t typeMask;
        };
        static const PlainKind plainKinds[] = {
            {"EDITTEXT", "EDIT", WS_BORDER_ | WS_TABSTOP_, 0},
            // Simple (1), drop-down (2) or drop list (3).
            {"COMBOBOX", "COMBOBOX", 0x1u | WS_TABSTOP_, 0x3u},
            {"LISTBOX", "LISTBOX", 0x1u | WS_BORDER_ | WS_VSCROLL_ | WS_TABSTOP_, 0},
            {"SCROLLBAR", "SCROLLBAR", 0, 0},
        };
        for (const PlainKind& k : plainKinds) {
            if (kind != k.name)
                continue;
            it.className = k.cls;
            it.id = Expr();
            Expect(',');
            Rect(it);
            Styles(it, k.defaults, k.typeMask);
            return it;
        }
        if (kind == "ICON") {
            it.className = "STATIC";
            if (m_tok.kind == Tok::String)
                it.text = Gbk(ExpectString());
            else
                it.text = std::to_string(Expr());
            Expect(',');
            it.id = Expr();
            Expect(',');
            Rect(it, false);
            it.style = WS_CHILD_ | WS_VISIBLE_ | 0x3u;
            if (Accept(',')) {
                it.cx = (int)Expr();
                Expect(',');
                it.cy = (int)Expr();
                if (Accept(','))
                    it.style = Style(it.style);
            }
            return it;
        }
        if (kind == "CONTROL") {
            it.text = Gbk(ExpectString());
            Expect(',');
            it.id = Expr();
            Expect(',');
            std::string cls = m_tok.kind == Tok::String ? m_tok.text : m_tok.text;
            if (m_tok.kind != Tok::String && m_tok.kind != Tok::Name)
                Fail("expected a window class, found " + Describe());
            Advance();
            // The system's own class names are matched without regard to case.
            std::string upper;
            for (char c : cls)
                upper += (char)std::toupper((unsigned char)c);
            for (const char* builtin :
                 {"BUTTON", "EDIT", "STATIC", "COMBOBOX", "LISTBOX", "SCROLLBAR"})
                if (upper == builtin)
                    cls = builtin;
            it.className = cls;
            Expect(',');
            it.style = Style(WS_CHILD_ | WS_VISIBLE_);
            Expect(',');
            Rect(it);
            if (Accept(','))
                it.exStyle = Style(0);
            return it;
        }
        m_lex.Fail(line, "unknown control '" + kind + "'");
    }

    void MenuRes(long id) {
        SkipOptions();
        Menu m;
        m.id = id;
        MenuBody(m, 0);
        m_script.menus.push_back(std::move(m));
    }

    uint32_t MenuOptions() {
        uint32_t f = 0;
        while (Accept(',') || m_tok.kind == Tok::Name) {
            if (IsName("GRAYED"))
                f |= 0x1;
            else if (IsName("INACTIVE"))
                f |= 0x2;
            else if (IsName("CHECKED"))
                f |= 0x8;
            else if (IsName("MENUBARBREAK"))
                f |= 0x20;
            else if (IsName("MENUBREAK"))
                f |= 0x40;
            else if (IsName("HELP"))
                f |= 0x4000;
            else
                break;
            Advance();
        }
        return f;
    }

    void MenuBody(Menu& m, int depth) {
        Begin();
        while (!AtEnd()) {
            MenuItem item;
            item.depth = depth;
            if (IsName("MENUITEM")) {
                Advance();
                if (IsName("SEPARATOR")) {
                    Advance();
                    item.flags = 0x800;
                } else {
                    item.text = Gbk(ExpectString());
                    Expect(',');
                    item.id = Expr();
                    item.flags = MenuOptions();
                }
                m.items.push_back(item);
            } else if (IsName("POPUP")) {
                Advance();
                item.text = Gbk(ExpectString());
                item.flags = 0x10 | MenuOptions();
                m.items.push_back(item);
                MenuBody(m, depth + 1);
            } else {
                Fail("expected MENUITEM or POPUP, found " + Describe());
            }
        }
    }

    void AccelRes(long id) {
        SkipOptions();
        AccelTable t;
        t.id = id;
        Begin();
        while (!AtEnd()) {
            Accel a;
            bool ascii = false;
            if (m_tok.kind == Tok::String) {
                std::string k = m_tok.text;
                Advance();
                if (k.size() == 2 && k[0] == '^') {
                    a.key = std::toupper((unsigned char)k[1]) - '@';
                } else if (k.size() == 1) {
                    a.key = (unsigned char)k[0];
                    ascii = true;
                } else {
                    Fail("an accelerator key is one character");
                }
            } else {
                a.key = (int)Expr();
            }
            Expect(',');
            a.cmd = Expr();
            bool virt = false;
            while (Accept(',')) {
                if (IsName("VIRTKEY"))
                    virt = true;
                else if (IsName("ASCII"))
                    virt = false;
                else if (IsName("CONTROL"))
                    a.fVirt |= 0x08;
                else if (IsName("SHIFT"))
                    a.fVirt |= 0x04;
                else if (IsName("ALT"))
                    a.fVirt |= 0x10;
                else if (!IsName("NOINVERT"))
                    Fail("unknown accelerator option " + Describe());
                Advance();
            }
            if (virt) {
                a.fVirt |= 0x01;
                if (ascii)
                    a.key = std::toupper(a.key);
            }
            t.entries.push_back(a);
        }
        m_script.accels.push_back(std::move(t));
    }

    void ToolBarRes(long id) {
        SkipOptions();
        ToolBar tb;
        tb.id = id;
        tb.cx = (int)Expr();
        Expect(',');
        tb.cy = (int)Expr();
        Begin();
        while (!AtEnd()) {
            if (IsName("SEPARATOR")) {
                Advance();
                tb.buttons.push_back(0);
            } else if (IsName("BUTTON")) {
                Advance();
                tb.buttons.push_back(Expr());
            } else {
                Fail("expected BUTTON or SEPARATOR, found " + Describe());
            }
        }
        m_script.toolbars.push_back(std::move(tb));
    }

    // Entries "control, message, text" end with a lone 0. The text is a string, or in the form
    // the classic editors write, its length, 0 and the bytes as little-endian 16-bit words.
    void DlgInitRes(long id) {
        SkipOptions();
        DlgInit d;
        d.id = id;
        Begin();
        while (!AtEnd()) {
            int line = m_tok.line;
            DlgInitEntry e;
            e.control = Expr();
            if (e.control == 0 && !IsPunct(',')) {
                if (!IsName("END") && !IsPunct('}'))
                    Fail("expected END after the closing 0, found " + Describe());
                continue;
            }
            Expect(',');
            e.message = Expr();
            Expect(',');
            if (m_tok.kind == Tok::String) {
                e.text = Gbk(ExpectString());
            } else {
                long length = Expr();
                Expect(',');
                Expr();
                if (length < 0 || length > 0xFFFF)
                    m_lex.Fail(line, "bad initial data length " + std::to_string(length));
                std::string bytes;
                // The words start on the next line, without a comma.
                while ((long)bytes.size() < length) {
                    if (!bytes.empty())
                        Expect(',');
                    long word = Expr();
                    bytes += (char)(word & 0xFF);
                    bytes += (char)((word >> 8) & 0xFF);
                }
                Accept(',');
                bytes.resize((size_t)length);
                // The length counts the terminating zero.
                while (!bytes.empty() && bytes.back() == 0)
                    bytes.pop_back();
                e.text = bytes;
            }
            Accept(',');
            d.entries.push_back(e);
        }
        m_script.dlgInits.push_back(d);
    }

    void ImageRes(int kind, long id, const std::string& name) {
        SkipOptions();
        int line = m_tok.line;
        std::string file = ExpectString();
        std::string path = DirOf(m_lex.File()) + "/" + file;
        bool ok = false;
        std::string bytes = ReadAll(path, ok);
        if (!ok)
            m_lex.Fail(line, "cannot read " + path);
        Image img;
        img.kind = kind;
        img.id = id;
        img.name = Gbk(name);
        img.data.assign(bytes.begin(), bytes.end());
        m_script.images.push_back(std::move(img));
    }

    Lexer m_lex;
    Script& m_script;
    Token m_tok;

public:
    long ValueOfRest() {
        long v = Expr();
        if (m_tok.kind != Tok::End)
            Fail("unexpected " + Describe() + " after the value");
        return v;
    }
};

} // namespace

void ParseScript(const std::string& text, const std::string& fileName, Script& script) {
    // #define lines are handled here so their values may use earlier names.
    std::istringstream lines(text);
    std::string line;
    int lineNo = 0;
    std::string filtered;
    while (std::getline(lines, line)) {
        ++lineNo;
        std::string trimmed = line;
        trimmed.erase(0, trimmed.find_first_not_of(" \t"));
        if (trimmed.rfind("#define", 0) == 0) {
            std::istringstream d(trimmed.substr(7));
            std::string name, value;
            d >> name;
            std::getline(d, value);
            if (name.empty())
                throw RcError(fileName, lineNo, "#define without a name");
            size_t comment = value.find("//");
            if (comment != std::string::npos)
                value.resize(comment);
            try {
                Parser p(value, fileName, script);
                script.defines[name] = p.ValueOfRest();
            } catch (const RcError& e) {
                throw RcError(fileName, lineNo, e.message);
            }
            filtered += "\n";
            continue;
        }
        filtered += line + "\n";
    }
    Parser parser(filtered, fileName, script);
    parser.Run();
}

void ParseFile(const std::string& path, Script& script) {
    bool ok = false;
    std::string text = ReadAll(path, ok);
    if (!ok)
        throw RcError(path, 0, "cannot read the file");
    ParseScript(text, path, script);
}

} // namespace rc
