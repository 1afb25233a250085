#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

#include "platform/desktop/ProcessRunner.h"

namespace pellimore::test {

// A process runner for desktops and players that are not installed here:
// records every command line and answers from the test's script. Programs
// "exist" when the test says so; runs succeed with empty output unless an
// answer was queued for that program.
class RecordingProcessRunner final : public ProcessRunner {
public:
    struct Call {
        QString kind;  // "run", "background", "launch", "terminate"
        QStringList command;  // program, then its arguments
    };

    void SetInstalled(const QStringList &programs) { installed_ = QSet<QString>(programs.begin(), programs.end()); }
    // The next run of `program` ends with this outcome.
    void QueueOutcome(const QString &program, ProcessOutcome outcome)
    {
        answers_.push_back({program, std::move(outcome)});
    }

    ProcessOutcome Run(const QString &program, const QStringList &arguments, int = 15000) override
    {
        calls_.push_back({QStringLiteral("run"), QStringList{program} + arguments});
        for (auto it = answers_.begin(); it != answers_.end(); ++it) {
            if (it->first == program) {
                ProcessOutcome outcome = it->second;
                answers_.erase(it);
                return outcome;
            }
        }
        ProcessOutcome ok;
        ok.started = installed_.contains(program);
        ok.exitCode = ok.started ? 0 : -1;
        return ok;
    }
    std::optional<qint64> StartBackground(const QString &program, const QStringList &arguments, int,
                                          QString *error) override
    {
        calls_.push_back({QStringLiteral("background"), QStringList{program} + arguments});
        if (!installed_.contains(program) || failBackground_) {
            if (error)
                *error = program + QStringLiteral(" failed");
            return std::nullopt;
        }
        return nextPid_++;
    }
    bool Launch(const QString &program, const QStringList &arguments) override
    {
        calls_.push_back({QStringLiteral("launch"), QStringList{program} + arguments});
        return installed_.contains(program);
    }
    void Terminate(qint64 pid, const QString &name) override
    {
        calls_.push_back({QStringLiteral("terminate"), {name, QString::number(pid)}});
    }
    bool Exists(const QString &program) const override { return installed_.contains(program); }

    void SetBackgroundFails(bool fails) { failBackground_ = fails; }
    const std::vector<Call> &Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    // Only the command lines of one kind.
    std::vector<QStringList> Commands(const QString &kind = QStringLiteral("run")) const
    {
        std::vector<QStringList> out;
        for (const Call &call : calls_) {
            if (call.kind == kind)
                out.push_back(call.command);
        }
        return out;
    }

private:
    QSet<QString> installed_;
    std::deque<std::pair<QString, ProcessOutcome>> answers_;
    std::vector<Call> calls_;
    qint64 nextPid_ = 4242;
    bool failBackground_ = false;
};

}  // namespace pellimore::test
