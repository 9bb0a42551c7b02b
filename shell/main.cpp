// The program: the application object starts, runs its message loop and ends.
#include "calendar/module/CalendarModule.h"
#include "contacts/module/ContactsModule.h"
#include "notes/module/NotesModule.h"
#include "ecard/module/ECardModule.h"
#include "mail/module/MailModule.h"
#include "platform/base/OsPath.h"
#include "shell/SmsApp.h"
#include "sms/module/SmsModule.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace {

// The switches the program understands; any other argument names a file (an absolute path
// begins with "/" too).
bool IsSwitch(std::string arg) {
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-'))
        return false;
    arg.erase(0, 1);
    std::transform(arg.begin(), arg.end(), arg.begin(),
                   [](unsigned char c) { return (char)std::tolower(c); });
    for (const char* known : {"dde", "register", "regserver", "unregister", "unregserver", "p",
                              "pt", "embedding", "automation"})
        if (arg == known)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // The modules of this build join the shell before the application starts.
    RegisterContactsModule();
    RegisterSmsModule();
    RegisterCalendarModule();
    RegisterNotesModule();
    RegisterECardModule();
    RegisterMailModule();
    CSmsApp app;
    std::vector<CString> files;
    std::string switches;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.empty())
            continue;
        if (IsSwitch(arg)) {
            switches += (switches.empty() ? "" : " ") + arg;
        } else {
            files.push_back(ProgramPathFromOsPath(arg));
        }
    }
    app.SetStartFiles(files);
    std::vector<char> line(switches.begin(), switches.end());
    line.push_back('\0');
    app.m_lpCmdLine = line.data();
    if (!app.InitInstance())
        return 0;
    return app.Run();
}
