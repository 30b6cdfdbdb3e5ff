// A desktop session manager reduced to what ends a session, for testing the program's logout path.
//
//   x11_session_manager [SECONDS]
//
// Listens on a local ICE socket and prints "SESSION_MANAGER=<address>" on its first line: a program
// started with that in its environment registers with this manager as it would with the desktop's.
// Each line "end" on standard input ends the session for every registered client: it is asked to
// save its data for a shutdown (SaveYourself, save type both, shutdown, no interaction) and, once it
// answers, is told to die, as a logout does. It prints "registered", "saved <1|0>" (the client's
// answer) and "closed" as they happen and exits when its last client has gone, or after SECONDS
// (default 30) with status 1. Only local connections are accepted.
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Client {
    SmsConn sms = nullptr; // owned by libSM until SmsCleanUp
    IceConn ice = nullptr;
    bool registered = false;
    bool closed = false;
};

std::vector<Client*> g_clients;
int g_closed = 0;

void say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

Bool localOnly(char* hostName) {
    return hostName != nullptr && std::strncmp(hostName, "local/", 6) == 0 ? True : False;
}

Status registerClient(SmsConn sms, SmPointer data, char* previousId) {
    auto* client = static_cast<Client*>(data);
    std::free(previousId);
    char* id = SmsGenerateClientID(sms);
    if (id == nullptr)
        return 0;
    SmsRegisterClientReply(sms, id);
    std::free(id);
    client->registered = true;
    say("registered");
    return 1;
}

void interactRequest(SmsConn sms, SmPointer, int) {
    SmsInteract(sms);
}
void interactDone(SmsConn, SmPointer, Bool) {}
void saveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}
void saveYourselfPhase2Request(SmsConn sms, SmPointer) {
    SmsSaveYourselfPhase2(sms);
}

void saveYourselfDone(SmsConn sms, SmPointer, Bool success) {
    say(success ? "saved 1" : "saved 0");
    SmsDie(sms);
}

void closeConnection(SmsConn sms, SmPointer data, int count, char** reasons) {
    auto* client = static_cast<Client*>(data);
    SmFreeReasons(count, reasons);
    IceConn ice = SmsGetIceConnection(sms);
    SmsCleanUp(sms);
    IceSetShutdownNegotiation(ice, False);
    IceCloseConnection(ice);
    client->closed = true;
    ++g_closed;
    say("closed");
}

void setProperties(SmsConn, SmPointer, int count, SmProp** props) {
    for (int i = 0; i < count; ++i)
        SmFreeProperty(props[i]);
    std::free(props);
}

void deleteProperties(SmsConn, SmPointer, int count, char** names) {
    for (int i = 0; i < count; ++i)
        std::free(names[i]);
    std::free(names);
}

void getProperties(SmsConn sms, SmPointer) {
    SmsReturnProperties(sms, 0, nullptr);
}

Status newClient(SmsConn sms, SmPointer, unsigned long* mask, SmsCallbacks* cb, char**) {
    auto* client = new Client;
    client->sms = sms;
    client->ice = SmsGetIceConnection(sms);
    g_clients.push_back(client);
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask |
            SmsCloseConnectionProcMask | SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask |
            SmsGetPropertiesProcMask;
    cb->register_client = {registerClient, client};
    cb->interact_request = {interactRequest, client};
    cb->interact_done = {interactDone, client};
    cb->save_yourself_request = {saveYourselfRequest, client};
    cb->save_yourself_phase2_request = {saveYourselfPhase2Request, client};
    cb->save_yourself_done = {saveYourselfDone, client};
    cb->close_connection = {closeConnection, client};
    cb->set_properties = {setProperties, client};
    cb->delete_properties = {deleteProperties, client};
    cb->get_properties = {getProperties, client};
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    char error[256] = {};
    if (!SmsInitialize("quorvik-test", "1", newClient, nullptr, localOnly, sizeof error, error)) {
        std::fprintf(stderr, "session manager: %s\n", error);
        return 1;
    }
    int count = 0;
    IceListenObj* all = nullptr;
    if (!IceListenForConnections(&count, &all, sizeof error, error)) {
        std::fprintf(stderr, "session manager: %s\n", error);
        return 1;
    }
    // Only the local (Unix socket) listeners are announced and served.
    std::vector<IceListenObj> local;
    for (int i = 0; i < count; ++i) {
        char* id = IceGetListenConnectionString(all[i]);
        if (id != nullptr && std::strncmp(id, "local/", 6) == 0) {
            IceSetHostBasedAuthProc(all[i], localOnly);
            local.push_back(all[i]);
        }
        std::free(id);
    }
    if (local.empty()) {
        std::fprintf(stderr, "session manager: no local listener\n");
        return 1;
    }
    char* address = IceComposeNetworkIdList(int(local.size()), local.data());
    std::printf("SESSION_MANAGER=%s\n", address);
    std::fflush(stdout);
    std::free(address);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::string input;
    bool inputOpen = true;
    std::vector<IceConn> connections; // accepted and not yet closed
    for (;;) {
        if (g_closed > 0 && g_closed == int(g_clients.size()))
            return 0;
        if (std::chrono::steady_clock::now() > deadline) {
            std::fprintf(stderr, "session manager: gave up after %d s\n", seconds);
            return 1;
        }
        // Connections whose client said goodbye were closed in closeConnection.
        std::erase_if(connections, [](IceConn ice) {
            for (Client* c : g_clients)
                if (c->ice == ice && c->closed)
                    return true;
            return false;
        });

        std::vector<pollfd> fds;
        for (IceListenObj l : local)
            fds.push_back({IceGetListenConnectionNumber(l), POLLIN, 0});
        for (IceConn ice : connections)
            fds.push_back({IceConnectionNumber(ice), POLLIN, 0});
        fds.push_back({inputOpen ? 0 : -1, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 100) < 0)
            continue;

        std::vector<IceConn> accepted;
        for (std::size_t i = 0; i < local.size(); ++i) {
            if (!(fds[i].revents & POLLIN))
                continue;
            IceAcceptStatus status;
            // The connection's set-up and its session-management protocol (newClient) arrive as
            // messages, processed below like any other.
            if (IceConn ice = IceAcceptConnection(local[i], &status))
                accepted.push_back(ice);
        }
        std::vector<IceConn> broken;
        for (std::size_t i = 0; i < connections.size(); ++i) {
            if (!(fds[local.size() + i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            IceConn ice = connections[i];
            if (IceProcessMessages(ice, nullptr, nullptr) != IceProcessMessagesIOError)
                continue;
            for (Client* c : g_clients) {
                if (c->ice != ice || c->closed)
                    continue;
                SmsCleanUp(c->sms);
                c->closed = true;
                ++g_closed;
                say("closed");
            }
            broken.push_back(ice);
        }
        for (IceConn ice : broken) {
            IceSetShutdownNegotiation(ice, False);
            IceCloseConnection(ice);
            std::erase(connections, ice);
        }
        connections.insert(connections.end(), accepted.begin(), accepted.end());

        if (fds.back().revents & (POLLIN | POLLHUP)) {
            char buffer[64];
            const ssize_t n = ::read(0, buffer, sizeof buffer);
            if (n <= 0)
                inputOpen = false;
            else
                input.append(buffer, std::size_t(n));
            for (std::size_t nl; (nl = input.find('\n')) != std::string::npos; input.erase(0, nl + 1)) {
                if (input.compare(0, nl, "end") != 0)
                    continue;
                int asked = 0;
                for (Client* c : g_clients) {
                    if (c->registered && !c->closed) {
                        SmsSaveYourself(c->sms, SmSaveBoth, True, SmInteractStyleNone, False);
                        ++asked;
                    }
                }
                if (asked == 0)
                    say("no client");
            }
        }
    }
}
