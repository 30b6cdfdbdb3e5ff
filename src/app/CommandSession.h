// One quorvikctl command carried out by the running program: the socket side of the command
// table. It reads the tool's frames as they arrive and writes the command's words back as they
// come; nothing here waits, so the window stays live while a command (a watch) runs.
#pragma once

#include "CommandTable.h"
#include "CommandWire.h"

#include "platform/qt/LocalSocket.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace quorvik::app {

class CommandSession : public QObject, public ctl::CommandOutput {
    Q_OBJECT
public:
    // How long the command may take to arrive after the connection was accepted.
    static constexpr int kArgsWaitMs = 2000;

    // Owned by `connection` (a child of it): it goes when the connection goes, which it deletes
    // once the connection has ended.
    CommandSession(platform::LocalConnection* connection, ctl::CommandHost& host);
    ~CommandSession() override;

    void Out(const std::string& text) override;
    void Err(const std::string& text) override;
    void Ask(const std::string& question, std::function<void(const std::string&)> answer) override;

private:
    void readFrames();
    void begin(const std::string& payload);
    void send(char kind, const std::string& payload);
    void finish(int code);

    QPointer<platform::LocalConnection> socket_; // null once the connection is being deleted
    ctl::CommandHost& host_;
    ctl::wire::FrameReader reader_;
    std::unique_ptr<ctl::CommandRun> run_;
    std::function<void(const std::string&)> answer_;
    bool ended_ = false;
};

} // namespace quorvik::app
