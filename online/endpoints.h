#pragma once
// The member area's requests of the server, each with its query keys in order and the value
// that stands in for a failed reply. The file downloads (version file, package, catalogue) are
// DownloadFile calls of their features.

#include <string>
#include <vector>

namespace ludomat {

class Http;

struct LoginReply {
    bool ok = false;          // "Ok" anywhere in the reply
    std::string status;       // the text before the first "|"
    std::string memberKey;    // the text after it, at most 100 characters
};

// Reads a log-in reply: without "|" the status is empty and the key the first 100 characters.
LoginReply readLoginReply(const std::string& reply);

// The chat separator line: the three bytes 2D A7 2D.
inline const std::string kChatSeparator = "-\xA7-";

LoginReply login(Http& http, const std::string& email, const std::string& password);
std::string signUp(Http& http, const std::string& email, const std::string& password);
std::string memberGroup(Http& http, const std::string& memberKey);
std::string enterGroup(Http& http, const std::string& memberKey, const std::string& group);
std::string changeNick(Http& http, const std::string& memberKey, const std::string& nick);
std::string fetchMessages(Http& http, const std::string& memberKey, int received, const std::string& group);
std::string fetchParticipants(Http& http, const std::string& memberKey, const std::string& group);
void leaveGroup(Http& http, const std::string& memberKey);

}  // namespace ludomat
