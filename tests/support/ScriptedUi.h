#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include <deque>
#include <iosfwd>
#include <optional>
#include <source_location>
#include <vector>

#include "platform/ui/Ui.h"

namespace pellimore {

// Readable names in GoogleTest messages.
void PrintTo(MessageButtons buttons, std::ostream *os);
void PrintTo(MessageIcon icon, std::ostream *os);
void PrintTo(MessageResult result, std::ostream *os);

}  // namespace pellimore

namespace pellimore::test {

const char *ToString(MessageButtons buttons);
const char *ToString(MessageIcon icon);
const char *ToString(MessageResult result);

// A message box as the code under test showed it (the help callback left out).
struct RecordedMessage {
    QString text;
    QString title;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    int defaultButton = 1;
    bool helpButton = false;

    bool operator==(const RecordedMessage &) const = default;
};

// The ui service of tests. Every message box and dialog the code shows must
// have been announced with an Expect... call, in the order they appear; each
// is answered from its expectation. Anything else fails the test (with the
// full text of the box) and is answered safely: Cancel, else No, else OK for a
// box, and "cancelled" for a dialog. Expectations left unused when the object
// dies, or at VerifyAllUsed(), fail the test too. Everything shown is recorded.
//
//     ScriptedUi ui;
//     ui.ExpectMessage("Delete the picture?", "WallPaper Pellimore", MessageResult::Yes)
//         .WithIcon(MessageIcon::Question);
//     ui.ExpectOpenFiles("/pictures", {"a.jpg", "b.png"});
//     ui.ExpectColor(std::nullopt);                      // the user cancels
class ScriptedUi final : public Ui {
public:
    // Further conditions on an expected box; each unmet one fails the test.
    class MessageExpectation {
    public:
        MessageExpectation &WithIcon(MessageIcon icon);
        MessageExpectation &WithButtons(MessageButtons buttons);
        MessageExpectation &WithDefaultButton(int defaultButton);
        MessageExpectation &WithHelpButton(bool helpButton = true);
        // Presses the box's Help button (which must be there) before answering;
        // boxes and dialogs the help action shows take the next expectations.
        MessageExpectation &PressHelp();

    private:
        friend class ScriptedUi;
        enum class TextMatch { Any, Exact, Contains };
        TextMatch textMatch = TextMatch::Any;
        QString text;
        std::optional<QString> title;
        std::optional<MessageIcon> icon;
        std::optional<MessageButtons> buttons;
        std::optional<int> defaultButton;
        std::optional<bool> helpButton;
        bool pressHelp = false;
        MessageResult answer = MessageResult::Ok;
    };

    ScriptedUi() = default;
    ~ScriptedUi() override;
    ScriptedUi(const ScriptedUi &) = delete;
    ScriptedUi &operator=(const ScriptedUi &) = delete;

    // A box with any text, answered with `answer`.
    MessageExpectation &ExpectMessage(MessageResult answer,
                                      std::source_location where = std::source_location::current());
    // A box with exactly this text (and any title).
    MessageExpectation &ExpectMessage(const QString &text, MessageResult answer,
                                      std::source_location where = std::source_location::current());
    // A box with exactly this text and title.
    MessageExpectation &ExpectMessage(const QString &text, const QString &title, MessageResult answer,
                                      std::source_location where = std::source_location::current());
    // A box whose text contains `fragment`.
    MessageExpectation &ExpectMessageContaining(const QString &fragment, MessageResult answer,
                                                std::source_location where = std::source_location::current());

    // Dialogs: the answer, or std::nullopt when the user cancels.
    void ExpectOpenFiles(std::optional<OpenFilesResult> result,
                         std::source_location where = std::source_location::current());
    void ExpectOpenFiles(const QString &folder, const QStringList &names,
                         std::source_location where = std::source_location::current());
    void ExpectSaveFile(std::optional<QString> path, std::source_location where = std::source_location::current());
    void ExpectColor(std::optional<ColorRef> color, std::source_location where = std::source_location::current());
    void ExpectFont(std::optional<QFont> font, std::source_location where = std::source_location::current());
    void ExpectFolder(std::optional<QString> folder, std::source_location where = std::source_location::current());

    // Fails the test for every expectation not used yet and forgets them;
    // true when there were none.
    bool VerifyAllUsed();
    int PendingExpectations() const { return int(expected_.size()); }

    // What the code showed, in order of kind.
    const std::vector<RecordedMessage> &Messages() const { return messages_; }
    const RecordedMessage &LastMessage() const;   // fails the test when there was none
    const std::vector<OpenFilesRequest> &OpenFilesRequests() const { return openFiles_; }
    const std::vector<SaveFileRequest> &SaveFileRequests() const { return saveFiles_; }
    const std::vector<ColorRef> &ColorRequests() const { return colors_; }     // the initial colours
    const std::vector<QFont> &FontRequests() const { return fonts_; }          // the initial fonts
    const std::vector<FolderRequest> &FolderRequests() const { return folders_; }
    // Everything shown, in order, one line each ("message: <text>", "open files: <title>", ...).
    const QStringList &Log() const { return log_; }

    MessageResult MessageBox(const MessageBoxRequest &request) override;
    std::optional<OpenFilesResult> OpenFiles(const OpenFilesRequest &request) override;
    std::optional<QString> SaveFile(const SaveFileRequest &request) override;
    std::optional<ColorRef> ChooseColor(ColorRef initial) override;
    std::optional<QFont> ChooseFont(const QFont &initial) override;
    std::optional<QString> ChooseFolder(const FolderRequest &request) override;

    // The answer given to a box nobody expected.
    static MessageResult SafeAnswer(MessageButtons buttons);

private:
    enum class Kind { Message, OpenFiles, SaveFile, Color, Font, Folder };
    struct Expectation {
        Kind kind = Kind::Message;
        std::source_location where;
        MessageExpectation message;
        std::optional<OpenFilesResult> openFiles;
        std::optional<QString> path;   // save file, folder
        std::optional<ColorRef> color;
        std::optional<QFont> font;
    };

    Expectation &Push(Kind kind, std::source_location where);
    // The next expectation when it is of this kind; otherwise fails the test
    // with `shown` and leaves the queue alone.
    std::optional<Expectation> Take(Kind kind, const QString &shown);
    static QString Describe(const Expectation &expectation);

    std::deque<Expectation> expected_;
    std::vector<RecordedMessage> messages_;
    std::vector<OpenFilesRequest> openFiles_;
    std::vector<SaveFileRequest> saveFiles_;
    std::vector<ColorRef> colors_;
    std::vector<QFont> fonts_;
    std::vector<FolderRequest> folders_;
    QStringList log_;
};

}  // namespace pellimore::test
