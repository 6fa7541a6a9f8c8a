#pragma once
// The member area's requests of the server, each with its query keys in order and the value
// that stands in for a failed reply. The file downloads (version file, package, catalogue) are
// DownloadFile calls of their features.

#include "online/http_client.h"

#include <functional>
#include <string>
#include <vector>

class QObject;

namespace ludomat {

struct LoginReply {
    bool ok = false;        // "Ok" anywhere in the reply
    std::string status;     // the text before the first "|"
    std::string memberKey;  // the text after it, at most 100 characters
};

// Reads a log-in reply: without "|" the status is empty and the key the first 100 characters.
LoginReply readLoginReply(const std::string& reply);

// The fixed text that stands for a failed request, and the reply of the server to a request
// whose key is not in force (another log-in took its place).
inline const std::string kAccessError = "Erro de acesso";

// True when a reply to a request carrying the member's key says the key is no longer valid.
bool isAccessRefusal(const std::string& reply);
// True when a chat send was taken: the server answers "Ok" (or nothing, from a server that
// does not answer at all); any other text is a refusal.
bool isSendAccepted(const std::string& reply);

// One member-area request: the script under the member base and its query keys in order.
struct MemberRequest {
    const char* script;
    Query query;
};

MemberRequest loginRequest(const std::string& email, const std::string& password);
MemberRequest signUpRequest(const std::string& email, const std::string& password);
MemberRequest groupRequest(const std::string& memberKey);
MemberRequest enterRequest(const std::string& memberKey, const std::string& group);
MemberRequest nickRequest(const std::string& memberKey, const std::string& nick);
MemberRequest messagesRequest(const std::string& memberKey, int received, const std::string& group);
MemberRequest participantsRequest(const std::string& memberKey, const std::string& group);
MemberRequest leaveRequest(const std::string& memberKey);

// Sends `request` without waiting; `done` gets the reply body, or `fallback` when it failed.
void askMember(Http& http, const MemberRequest& request, const std::string& fallback, QObject* context,
               std::function<void(const std::string&)> done);

// The chat separator line: the three bytes 2D A7 2D.
inline const std::string kChatSeparator = "-\xA7-";

LoginReply login(Http& http, const std::string& email, const std::string& password);
std::string signUp(Http& http, const std::string& email, const std::string& password);
std::string memberGroup(Http& http, const std::string& memberKey);
std::string enterGroup(Http& http, const std::string& memberKey, const std::string& group);
std::string changeNick(Http& http, const std::string& memberKey, const std::string& nick);
std::string fetchMessages(Http& http, const std::string& memberKey, int received, const std::string& group);
std::string fetchParticipants(Http& http, const std::string& memberKey, const std::string& group);
// Waits at most a second: it is sent as the program ends.
void leaveGroup(Http& http, const std::string& memberKey);

}  // namespace ludomat
