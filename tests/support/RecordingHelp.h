#pragma once

#include <QString>

#include <ostream>
#include <string>
#include <vector>

#include "platform/help/HelpService.h"

namespace pellimore::test {

// A help service that opens nothing and remembers every request. Each request
// succeeds unless the test says otherwise with SetResult(false).
class RecordingHelp final : public HelpService {
public:
    struct Request {
        enum class Kind { Context, Keyword };
        Kind kind = Kind::Context;
        QString helpFile;
        int context = 0;       // for Kind::Context
        QString keyword;       // for Kind::Keyword

        bool operator==(const Request &) const = default;

        friend void PrintTo(const Request &request, std::ostream *os)
        {
            *os << (request.kind == Kind::Context ? "context " : "keyword ")
                << (request.kind == Kind::Context ? std::to_string(request.context) : '"' + request.keyword.toStdString() + '"')
                << " of \"" << request.helpFile.toStdString() << '"';
        }
    };

    bool ShowContext(const QString &helpFile, int context) override
    {
        requests_.push_back({Request::Kind::Context, helpFile, context, QString()});
        return result_;
    }
    bool ShowKeyword(const QString &helpFile, const QString &keyword) override
    {
        requests_.push_back({Request::Kind::Keyword, helpFile, 0, keyword});
        return result_;
    }

    void Close() override { closed_ = true; }

    void SetResult(bool result) { result_ = result; }
    bool Closed() const { return closed_; }

    const std::vector<Request> &Requests() const { return requests_; }
    bool Empty() const { return requests_.empty(); }
    const Request &Last() const { return requests_.back(); }   // only when not Empty()
    void Clear() { requests_.clear(); }

    static Request Context(const QString &helpFile, int context) { return {Request::Kind::Context, helpFile, context, QString()}; }
    static Request Keyword(const QString &helpFile, const QString &keyword) { return {Request::Kind::Keyword, helpFile, 0, keyword}; }

private:
    std::vector<Request> requests_;
    bool result_ = true;
    bool closed_ = false;
};

}  // namespace pellimore::test
