#include "app/CommandSession.h"

#include <QTimer>

namespace quorvik::app {

CommandSession::CommandSession(platform::LocalConnection* connection, ctl::CommandHost& host)
    : QObject(connection), socket_(connection), host_(host) {
    socket_->SetReadyReadHandler([this] { readFrames(); });
    // The tool went away (Ctrl+C twice, a closed terminal): its command ends without a word more.
    // The connection goes then, and this session with it.
    socket_->SetEndHandler([this] {
        ended_ = true;
        if (run_ && !run_->Done())
            run_->Cancel();
        socket_->deleteLater();
    });
    // A peer that never says its command is not waited for: the bound on a silent start holds
    // until the command has arrived.
    QTimer::singleShot(kArgsWaitMs, this, [this] {
        if (!run_ && !ended_) {
            ended_ = true;
            socket_->Abort();
        }
    });
    readFrames();
}

CommandSession::~CommandSession() {
    if (run_ && !run_->Done())
        run_->Cancel();
    // Deleted before its connection (the program is ending): the connection ends too, and no
    // handler of this session is left on it.
    if (platform::LocalConnection* connection = socket_.data()) {
        connection->SetReadyReadHandler({});
        connection->SetEndHandler([connection] { connection->deleteLater(); });
        connection->Abort();
    }
}

void CommandSession::readFrames() {
    const QByteArray bytes = socket_->ReadAll();
    reader_.Append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    while (auto frame = reader_.Next()) {
        switch (frame->kind) {
        case ctl::wire::kArgs:
            if (!run_ && !ended_)
                begin(frame->payload);
            break;
        case ctl::wire::kAnswer:
            if (auto answer = std::exchange(answer_, {}))
                answer(frame->payload);
            break;
        case ctl::wire::kInterrupt:
            if (run_)
                run_->Interrupt();
            break;
        default:
            break;
        }
    }
    if (reader_.Broken() && !ended_) {
        ended_ = true;
        if (run_ && !run_->Done())
            run_->Cancel();
        socket_->Abort();
    }
}

void CommandSession::begin(const std::string& payload) {
    const auto args = ctl::wire::DecodeArgs(payload);
    ctl::CtlOptions options;
    std::string error;
    if (!args) {
        Err("quorvikctl: the command did not arrive whole\n");
        finish(ctl::kExitBadArguments);
        return;
    }
    if (!ctl::ParseCtlArgs(*args, options, error)) {
        Err("quorvikctl: " + error + "\n");
        finish(ctl::kExitBadArguments);
        return;
    }
    run_ = std::make_unique<ctl::CommandRun>(options, host_, *this, [this](int code) { finish(code); });
    run_->Start();
}

void CommandSession::Out(const std::string& text) {
    send(ctl::wire::kOut, text);
}

void CommandSession::Err(const std::string& text) {
    send(ctl::wire::kErr, text);
}

void CommandSession::Ask(const std::string& question, std::function<void(const std::string&)> answer) {
    answer_ = std::move(answer);
    send(ctl::wire::kQuestion, question);
}

void CommandSession::send(char kind, const std::string& payload) {
    if (ended_ || !socket_ || !socket_->IsConnected())
        return;
    const std::string frame = ctl::wire::Encode(kind, payload);
    socket_->Write(frame.data(), static_cast<qsizetype>(frame.size()));
}

void CommandSession::finish(int code) {
    if (ended_)
        return;
    send(ctl::wire::kExit, std::string(1, static_cast<char>(code)));
    ended_ = true;
    // Closed once the exit code went out; the connection (and this session with it) is deleted then.
    socket_->Close();
}

} // namespace quorvik::app
