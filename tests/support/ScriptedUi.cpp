#include "tests/support/ScriptedUi.h"

#include <gtest/gtest.h>

#include <ostream>

namespace pellimore {

void PrintTo(MessageButtons buttons, std::ostream *os) { *os << test::ToString(buttons); }
void PrintTo(MessageIcon icon, std::ostream *os) { *os << test::ToString(icon); }
void PrintTo(MessageResult result, std::ostream *os) { *os << test::ToString(result); }

}  // namespace pellimore

namespace pellimore::test {

const char *ToString(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return "Ok";
    case MessageButtons::OkCancel: return "OkCancel";
    case MessageButtons::YesNo: return "YesNo";
    case MessageButtons::YesNoCancel: return "YesNoCancel";
    }
    return "?";
}

const char *ToString(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None: return "None";
    case MessageIcon::Information: return "Information";
    case MessageIcon::Exclamation: return "Exclamation";
    case MessageIcon::Critical: return "Critical";
    case MessageIcon::Question: return "Question";
    }
    return "?";
}

const char *ToString(MessageResult result)
{
    switch (result) {
    case MessageResult::Ok: return "Ok";
    case MessageResult::Cancel: return "Cancel";
    case MessageResult::Yes: return "Yes";
    case MessageResult::No: return "No";
    }
    return "?";
}

namespace {

std::string Quoted(const QString &text) { return "\"" + text.toStdString() + "\""; }

QString Where(const std::source_location &where)
{
    return QStringLiteral("%1:%2").arg(QString::fromUtf8(where.file_name())).arg(where.line());
}

std::string DescribeBox(const MessageBoxRequest &request)
{
    return "  title:   " + Quoted(request.title) + "\n  text:    " + Quoted(request.text) +
           "\n  buttons: " + ToString(request.buttons) + ", icon: " + ToString(request.icon) +
           ", default button: " + std::to_string(request.defaultButton) +
           ", help button: " + (request.helpButton ? "yes" : "no");
}

bool Offers(MessageButtons buttons, MessageResult result)
{
    switch (buttons) {
    case MessageButtons::Ok: return result == MessageResult::Ok;
    case MessageButtons::OkCancel: return result == MessageResult::Ok || result == MessageResult::Cancel;
    case MessageButtons::YesNo: return result == MessageResult::Yes || result == MessageResult::No;
    case MessageButtons::YesNoCancel: return result != MessageResult::Ok;
    }
    return false;
}


}  // namespace

// --- expectations -------------------------------------------------------------

ScriptedUi::MessageExpectation &ScriptedUi::MessageExpectation::WithIcon(MessageIcon value)
{
    icon = value;
    return *this;
}

ScriptedUi::MessageExpectation &ScriptedUi::MessageExpectation::WithButtons(MessageButtons value)
{
    buttons = value;
    return *this;
}

ScriptedUi::MessageExpectation &ScriptedUi::MessageExpectation::WithDefaultButton(int value)
{
    defaultButton = value;
    return *this;
}

ScriptedUi::MessageExpectation &ScriptedUi::MessageExpectation::WithHelpButton(bool value)
{
    helpButton = value;
    return *this;
}

ScriptedUi::MessageExpectation &ScriptedUi::MessageExpectation::PressHelp()
{
    pressHelp = true;
    return *this;
}

ScriptedUi::~ScriptedUi() { VerifyAllUsed(); }

ScriptedUi::Expectation &ScriptedUi::Push(Kind kind, std::source_location where)
{
    Expectation expectation;
    expectation.kind = kind;
    expectation.where = where;
    expected_.push_back(std::move(expectation));
    return expected_.back();
}

ScriptedUi::MessageExpectation &ScriptedUi::ExpectMessage(MessageResult answer, std::source_location where)
{
    Expectation &expectation = Push(Kind::Message, where);
    expectation.message.answer = answer;
    return expectation.message;
}

ScriptedUi::MessageExpectation &ScriptedUi::ExpectMessage(const QString &text, MessageResult answer,
                                                          std::source_location where)
{
    MessageExpectation &message = ExpectMessage(answer, where);
    message.textMatch = MessageExpectation::TextMatch::Exact;
    message.text = text;
    return message;
}

ScriptedUi::MessageExpectation &ScriptedUi::ExpectMessage(const QString &text, const QString &title,
                                                          MessageResult answer, std::source_location where)
{
    MessageExpectation &message = ExpectMessage(text, answer, where);
    message.title = title;
    return message;
}

ScriptedUi::MessageExpectation &ScriptedUi::ExpectMessageContaining(const QString &fragment, MessageResult answer,
                                                                    std::source_location where)
{
    MessageExpectation &message = ExpectMessage(answer, where);
    message.textMatch = MessageExpectation::TextMatch::Contains;
    message.text = fragment;
    return message;
}

void ScriptedUi::ExpectOpenFiles(std::optional<OpenFilesResult> result, std::source_location where)
{
    Push(Kind::OpenFiles, where).openFiles = std::move(result);
}

void ScriptedUi::ExpectOpenFiles(const QString &folder, const QStringList &names, std::source_location where)
{
    ExpectOpenFiles(OpenFilesResult{folder, names}, where);
}

void ScriptedUi::ExpectSaveFile(std::optional<QString> path, std::source_location where)
{
    Push(Kind::SaveFile, where).path = std::move(path);
}

void ScriptedUi::ExpectColor(std::optional<ColorRef> color, std::source_location where)
{
    Push(Kind::Color, where).color = color;
}

void ScriptedUi::ExpectFont(std::optional<QFont> font, std::source_location where)
{
    Push(Kind::Font, where).font = std::move(font);
}

void ScriptedUi::ExpectFolder(std::optional<QString> folder, std::source_location where)
{
    Push(Kind::Folder, where).path = std::move(folder);
}

bool ScriptedUi::VerifyAllUsed()
{
    const bool allUsed = expected_.empty();
    while (!expected_.empty()) {
        const Expectation expectation = std::move(expected_.front());
        expected_.pop_front();
        ADD_FAILURE_AT(expectation.where.file_name(), int(expectation.where.line()))
            << "ScriptedUi: expected " << Describe(expectation).toStdString() << ", but it was never shown";
    }
    return allUsed;
}

const RecordedMessage &ScriptedUi::LastMessage() const
{
    static const RecordedMessage kNone;
    if (messages_.empty()) {
        ADD_FAILURE() << "ScriptedUi: no message box was shown";
        return kNone;
    }
    return messages_.back();
}

MessageResult ScriptedUi::SafeAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return MessageResult::Ok;
    case MessageButtons::YesNo: return MessageResult::No;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel: return MessageResult::Cancel;
    }
    return MessageResult::Cancel;
}

QString ScriptedUi::Describe(const Expectation &expectation)
{
    QString what;
    switch (expectation.kind) {
    case Kind::Message: {
        const MessageExpectation &message = expectation.message;
        what = QStringLiteral("a message box");
        if (message.textMatch == MessageExpectation::TextMatch::Exact)
            what += QStringLiteral(" with the text \"%1\"").arg(message.text);
        else if (message.textMatch == MessageExpectation::TextMatch::Contains)
            what += QStringLiteral(" containing \"%1\"").arg(message.text);
        if (message.title)
            what += QStringLiteral(" titled \"%1\"").arg(*message.title);
        break;
    }
    case Kind::OpenFiles: what = QStringLiteral("an open-files dialog"); break;
    case Kind::SaveFile: what = QStringLiteral("a save-file dialog"); break;
    case Kind::Color: what = QStringLiteral("a colour dialog"); break;
    case Kind::Font: what = QStringLiteral("a font dialog"); break;
    case Kind::Folder: what = QStringLiteral("a folder chooser"); break;
    }
    return what + QStringLiteral(" (expected at %1)").arg(Where(expectation.where));
}

std::optional<ScriptedUi::Expectation> ScriptedUi::Take(Kind kind, const QString &shown)
{
    if (expected_.empty()) {
        ADD_FAILURE() << "ScriptedUi: unexpected " << shown.toStdString() << "\n  (nothing more was expected)";
        return std::nullopt;
    }
    if (expected_.front().kind != kind) {
        ADD_FAILURE() << "ScriptedUi: unexpected " << shown.toStdString() << "\n  (next expected: "
                      << Describe(expected_.front()).toStdString() << ")";
        return std::nullopt;
    }
    Expectation expectation = std::move(expected_.front());
    expected_.pop_front();
    return expectation;
}

// --- the Ui service -----------------------------------------------------------

MessageResult ScriptedUi::MessageBox(const MessageBoxRequest &request)
{
    messages_.push_back({request.text, request.title, request.buttons, request.icon, request.defaultButton,
                         request.helpButton});
    log_ << QStringLiteral("message: %1").arg(request.text);
    const MessageResult safe = SafeAnswer(request.buttons);
    const std::string box = DescribeBox(request);

    const auto expectation = Take(Kind::Message, QString::fromStdString("message box\n" + box));
    if (!expectation)
        return safe;
    const MessageExpectation &expected = expectation->message;

    std::string problems;
    auto check = [&](bool ok, const std::string &what) {
        if (!ok)
            problems += "\n  " + what;
    };
    if (expected.textMatch == MessageExpectation::TextMatch::Exact)
        check(request.text == expected.text, "text should be " + Quoted(expected.text));
    if (expected.textMatch == MessageExpectation::TextMatch::Contains)
        check(request.text.contains(expected.text), "text should contain " + Quoted(expected.text));
    if (expected.title)
        check(request.title == *expected.title, "title should be " + Quoted(*expected.title));
    if (expected.icon)
        check(request.icon == *expected.icon, std::string("icon should be ") + ToString(*expected.icon));
    if (expected.buttons)
        check(request.buttons == *expected.buttons, std::string("buttons should be ") + ToString(*expected.buttons));
    if (expected.defaultButton)
        check(request.defaultButton == *expected.defaultButton,
              "default button should be " + std::to_string(*expected.defaultButton));
    if (expected.helpButton)
        check(request.helpButton == *expected.helpButton,
              std::string("help button should be ") + (*expected.helpButton ? "there" : "absent"));
    if (expected.pressHelp)
        check(request.helpButton && request.onHelp, "the box should have a Help button to press");
    check(Offers(request.buttons, expected.answer),
          std::string("the box has no button for the scripted answer ") + ToString(expected.answer));

    const std::source_location &where = expectation->where;
    if (!problems.empty()) {
        ADD_FAILURE_AT(where.file_name(), int(where.line()))
            << "ScriptedUi: the message box differs from the expectation:" << problems << "\nThe box shown:\n"
            << box;
        return safe;
    }
    if (expected.pressHelp)
        request.onHelp();
    return expected.answer;
}

std::optional<OpenFilesResult> ScriptedUi::OpenFiles(const OpenFilesRequest &request)
{
    openFiles_.push_back(request);
    log_ << QStringLiteral("open files: %1").arg(request.title);
    const auto expectation = Take(Kind::OpenFiles,
                                  QStringLiteral("open-files dialog \"%1\" (filter \"%2\", folder \"%3\")")
                                      .arg(request.title, request.filter, request.initialFolder));
    if (!expectation)
        return std::nullopt;
    if (expectation->openFiles && expectation->openFiles->names.size() > 1 && !request.multiSelect) {
        ADD_FAILURE_AT(expectation->where.file_name(), int(expectation->where.line()))
            << "ScriptedUi: several files scripted for an open dialog without multiple selection";
        return std::nullopt;
    }
    return expectation->openFiles;
}

std::optional<QString> ScriptedUi::SaveFile(const SaveFileRequest &request)
{
    saveFiles_.push_back(request);
    log_ << QStringLiteral("save file: %1").arg(request.title);
    const auto expectation = Take(Kind::SaveFile, QStringLiteral("save-file dialog \"%1\" (file \"%2\", folder \"%3\")")
                                                      .arg(request.title, request.fileName, request.initialFolder));
    return expectation ? expectation->path : std::nullopt;
}

std::optional<ColorRef> ScriptedUi::ChooseColor(ColorRef initial)
{
    colors_.push_back(initial);
    log_ << QStringLiteral("colour: %1").arg(initial);
    const auto expectation = Take(Kind::Color, QStringLiteral("colour dialog (initial colour %1)").arg(initial));
    return expectation ? expectation->color : std::nullopt;
}

std::optional<QFont> ScriptedUi::ChooseFont(const QFont &initial)
{
    fonts_.push_back(initial);
    log_ << QStringLiteral("font: %1").arg(initial.family());
    const auto expectation = Take(Kind::Font, QStringLiteral("font dialog (initial font %1)").arg(initial.toString()));
    return expectation ? expectation->font : std::nullopt;
}

std::optional<QString> ScriptedUi::ChooseFolder(const FolderRequest &request)
{
    folders_.push_back(request);
    log_ << QStringLiteral("folder: %1").arg(request.title);
    const auto expectation = Take(Kind::Folder, QStringLiteral("folder chooser \"%1\" (folder \"%2\")")
                                                    .arg(request.title, request.initialFolder));
    return expectation ? expectation->path : std::nullopt;
}

}  // namespace pellimore::test
