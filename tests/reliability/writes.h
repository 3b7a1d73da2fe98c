#pragma once
// The writes the crash-safety helper makes, step after step, and what each leaves on disk.
// The helper and the test share them: the test knows every file's old and new content.

#include "browsing/history.h"
#include "common/text.h"
#include "favourites/shortcut.h"
#include "platform/ini.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace reliability {

// The favourite every step of kind Favourite replaces.
inline QString favouriteName() { return QStringLiteral("崩溃 crash"); }

enum class Kind { History, HomePage, TextSize, Favourite };

struct Step {
    Kind kind;
    QStringList history;  // History: the address box's entries
    QString key;          // HomePage, TextSize: the settings key
    QString value;        //   and its value
    QString address;      // Favourite: the address written
};

// Step k of a round; sizes vary so that writes differ in length from one to the next.
inline Step stepAt(int round, int k)
{
    const QString tag = QString::number(round) + u'/' + QString::number(k);
    Step step{Kind(k % 4), {}, {}, {}, {}};
    switch (step.kind) {
    case Kind::History:
        for (int j = 0; j <= (k * 13) % browsing::history::kLimit; ++j)
            step.history.append(QStringLiteral("http://127.0.0.1/历史/") + tag + u'/' + QString::number(j));
        break;
    case Kind::HomePage:
        step.key = QStringLiteral("zy");
        step.value = QStringLiteral("http://127.0.0.1/主页/") + tag + QString((k * 37) % 300, u'x');
        break;
    case Kind::TextSize:
        step.key = QStringLiteral("zt");
        step.value = QString::number((k / 4) % 5);
        break;
    case Kind::Favourite:
        step.address = QStringLiteral("http://127.0.0.1/收藏/") + tag + u'?' + QString((k * 53) % 500, u'y');
        break;
    }
    return step;
}

// Each file's bytes; nothing for a file that does not exist.
struct Files {
    std::optional<QByteArray> history;
    std::optional<QByteArray> settings;
    std::optional<QByteArray> favourite;
    bool operator==(const Files&) const = default;
};

// The files after the step, as the program's writers leave them.
inline Files after(Files files, const Step& step)
{
    switch (step.kind) {
    case Kind::History:
        files.history = browsing::history::serialize(step.history);
        break;
    case Kind::HomePage:
    case Kind::TextSize: {
        const QByteArray current = files.settings.value_or(QByteArray());
        const std::optional<std::string> updated = platform::ini::withValue(
            current.toStdString(), "SZ", text::encode(step.key).toStdString(), text::encode(step.value).toStdString());
        if (updated)
            files.settings = QByteArray::fromStdString(*updated);
        break;
    }
    case Kind::Favourite:
        files.favourite = favourites::shortcutBytes(step.address);
        break;
    }
    return files;
}

}  // namespace reliability
