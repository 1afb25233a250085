#include "platform/ui/UiMapping.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace pellimore {

std::vector<MessageResult> ButtonOrder(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return {MessageResult::Ok};
    case MessageButtons::OkCancel: return {MessageResult::Ok, MessageResult::Cancel};
    case MessageButtons::YesNo: return {MessageResult::Yes, MessageResult::No};
    case MessageButtons::YesNoCancel: return {MessageResult::Yes, MessageResult::No, MessageResult::Cancel};
    }
    return {MessageResult::Ok};
}

namespace {

QMessageBox::StandardButton StandardButtonFor(MessageResult result)
{
    switch (result) {
    case MessageResult::Ok: return QMessageBox::Ok;
    case MessageResult::Cancel: return QMessageBox::Cancel;
    case MessageResult::Yes: return QMessageBox::Yes;
    case MessageResult::No: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

}  // namespace

QMessageBox::StandardButtons StandardButtonsFor(MessageButtons buttons)
{
    QMessageBox::StandardButtons standard;
    for (MessageResult result : ButtonOrder(buttons))
        standard |= StandardButtonFor(result);
    return standard;
}

QMessageBox::StandardButton DefaultButtonFor(MessageButtons buttons, int defaultButton)
{
    const std::vector<MessageResult> order = ButtonOrder(buttons);
    if (defaultButton < 1 || defaultButton > int(order.size()))
        defaultButton = 1;
    return StandardButtonFor(order[size_t(defaultButton - 1)]);
}

MessageResult ResultFor(QMessageBox::StandardButton pressed, MessageButtons buttons)
{
    for (MessageResult result : ButtonOrder(buttons)) {
        if (StandardButtonFor(result) == pressed)
            return result;
    }
    switch (buttons) {
    case MessageButtons::Ok: return MessageResult::Ok;
    case MessageButtons::YesNo: return MessageResult::No;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel: return MessageResult::Cancel;
    }
    return MessageResult::Cancel;
}

QMessageBox::Icon IconFor(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None: return QMessageBox::NoIcon;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

namespace {

QStringList PatternsWithBothCases(const QStringList &patterns)
{
    QStringList all;
    for (const QString &pattern : patterns) {
        for (const QString &form : {pattern, pattern.toLower(), pattern.toUpper()}) {
            if (!all.contains(form))
                all << form;
        }
    }
    return all;
}

}  // namespace

QString QtNameFilters(const QString &programFilter)
{
    static const QRegularExpression kTrailingPatterns(QStringLiteral("\\s*\\([^()]*[*?][^()]*\\)\\s*$"));
    const QStringList parts = programFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString &pattern : parts[i + 1].split(QLatin1Char(';'))) {
            const QString trimmed = pattern.trimmed();
            if (!trimmed.isEmpty() && !trimmed.contains(QLatin1Char('(')) && !trimmed.contains(QLatin1Char(')')))
                patterns << trimmed;
        }
        if (patterns.isEmpty())
            continue;
        QString description = parts[i];
        description.remove(kTrailingPatterns);
        description = description.trimmed();
        if (description.isEmpty())
            description = patterns.join(QLatin1Char(' '));
        filters << description + QStringLiteral(" (") + PatternsWithBothCases(patterns).join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

std::optional<OpenFilesResult> SplitSelection(const QStringList &paths)
{
    if (paths.isEmpty())
        return std::nullopt;
    OpenFilesResult result;
    result.folder = QFileInfo(paths.front()).absolutePath();
    const QDir folder(result.folder);
    for (const QString &path : paths)
        result.names << folder.relativeFilePath(path);
    return result;
}

QColor ToQColor(ColorRef color) { return QColor(RedOf(color), GreenOf(color), BlueOf(color)); }

ColorRef FromQColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return Rgb(uint8_t(rgb.red()), uint8_t(rgb.green()), uint8_t(rgb.blue()));
}

}  // namespace pellimore
