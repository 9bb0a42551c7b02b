// The service's web server standing in on loopback, for trying the program by hand: the e-card
// pages for the users named on the command line and the gateway's default replies. It prints the
// base address to point the program at and serves until it is stopped.
//
//     quillmar_service_standin [--configure] 20000001:secret1:Alice 20000002:secret2:Bob
//
// With --configure the address also goes into the program's profile (the settings folder of
// QUILLMAR_CONFIG, else the user's), as the profile value BaseAddress of the section Service.
#include "links/ServiceAddress.h"
#include "testsupport/ECardService.h"
#include "testsupport/ServiceStandIn.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void Stop(int) {
    g_stop = 1;
}

} // namespace

int main(int argc, char** argv) {
    test_net::ServiceStandIn server;
    if (!server.IsListening()) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
        return 1;
    }
    test_net::ECardService service;
    bool configure = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--configure") {
            configure = true;
            continue;
        }
        // number:password[:name]
        const std::string arg = argv[i];
        const size_t first = arg.find(':');
        if (first == std::string::npos) {
            std::fprintf(stderr, "usage: %s number:password[:name] ...\n", argv[0]);
            return 2;
        }
        const size_t second = arg.find(':', first + 1);
        const unsigned uid = (unsigned)std::strtoul(arg.substr(0, first).c_str(), nullptr, 10);
        test_net::ECardService::User& user = service.users[uid];
        user.password = arg.substr(first + 1, second == std::string::npos ? std::string::npos
                                                                          : second - first - 1);
        if (second != std::string::npos)
            user.name = arg.substr(second + 1);
    }
    service.Attach(server);
    if (configure && !SetServiceBaseAddress(server.BaseAddress().c_str())) {
        std::fprintf(stderr, "cannot write the profile\n");
        return 1;
    }
    std::printf("%s\n", server.BaseAddress().c_str());
    std::fflush(stdout);
    std::signal(SIGINT, Stop);
    std::signal(SIGTERM, Stop);
    while (!g_stop)
        ::pause();
    return 0;
}
