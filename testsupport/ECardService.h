// A small in-memory e-card service for the stand-in server: users with numbers and passwords,
// number checks and assignment, registration, own cards with their fields and current items,
// friends and strangers, access masks, left messages and the web SMS account values. It reads
// the forms and writes its replies with its own few lines of percent coding, never with the
// program's, so that a coding fault of the program shows as a wrong value here.
//
// Access is kept as the service keeps it: one value per category, each field one bit of its
// category's value; a reader is sent the fields whose bit is granted to it (a friend's own
// values, else the default a stranger gets).
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "testsupport/ServiceStandIn.h"

namespace test_net {

typedef std::vector<std::pair<std::string, std::string>> FormPairs;

// "%XX" (either case) into the byte; everything else as it is.
std::string FormDecode(const std::string& text);
// Every byte but letters and digits as "%XX" (upper case).
std::string FormEncode(const std::string& text);
// "a=1&b=2" into its pairs, values decoded, in order.
FormPairs ParseForm(const std::string& body);
// The first value of the name; empty when absent.
std::string FormValue(const FormPairs& form, const std::string& name);

class ECardService {
public:
    struct Message {
        unsigned from = 0, to = 0;
        std::string fromName, title, content, sendTime;
    };
    struct User {
        std::string password, name, email, secureEmail, certType, cert;
        FormPairs card;      // field name and value, decoded, as uploaded
        std::string cursels; // decoded
        int defaultAccess[6] = {0, 0, 0, 0, 0, 0};
        std::map<unsigned, std::vector<int>> access; // what each friend may read
        std::set<unsigned> friends, contacts;
        std::vector<Message> inbox;
        std::string suffix = "01", balance = "100", signature, notice = "签名将附在短信后",
                    maxSize = "70 160";
    };

    // Answers the "ecard/" pages of the server from now on.
    void Attach(ServiceStandIn& server);

    // The service's state, for tests to set up and look into (take the lock around it).
    std::mutex lock;
    std::map<unsigned, User> users;
    unsigned nextNumber = 20000001;
    // The SMS gateway: what was sent to each mobile number (sender, content), handed over once
    // to the gateway user of that number.
    struct GatewaySms {
        std::string from, content;
    };
    std::map<std::string, std::vector<GatewaySms>> gatewayQueue;

    bool Handle(const RecordedRequest& request, Reply& reply);

private:
    std::string Page(const std::string& page, const FormPairs& form);
    // The record of one user as the reader sees it; empty text for an unknown number.
    std::string ContactRecord(unsigned reader, unsigned uid);
    std::string Contacts(unsigned reader, const FormPairs& form, const char* key, bool all);
    User* Authenticated(const FormPairs& form, unsigned& uid);
};

} // namespace test_net
