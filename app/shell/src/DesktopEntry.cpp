#include "DesktopEntry.h"

#include <QFile>
#include <QString>

namespace {

// The escapes of any string value of the format: \s \n \t \r \\ (an unknown one is kept).
std::wstring unescapeValue(const std::wstring& value)
{
    std::wstring out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != L'\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (const wchar_t next = value[++i]) {
        case L's': out += L' '; break;
        case L'n': out += L'\n'; break;
        case L't': out += L'\t'; break;
        case L'r': out += L'\r'; break;
        case L'\\': out += L'\\'; break;
        default: out += L'\\'; out += next; break;
        }
    }
    return out;
}

} // namespace

std::vector<std::wstring> SplitDesktopExec(const std::wstring& value)
{
    const std::wstring line = unescapeValue(value);
    std::vector<std::wstring> arguments;
    std::wstring current;
    bool inArgument = false;
    bool quoted = false;
    bool onlyFieldCodes = true; // an argument that was nothing but field codes goes
    auto finish = [&] {
        if (inArgument && !(onlyFieldCodes && current.empty()))
            arguments.push_back(current);
        current.clear();
        inArgument = false;
        onlyFieldCodes = true;
    };
    for (std::size_t i = 0; i < line.size(); ++i) {
        const wchar_t c = line[i];
        if (quoted) {
            if (c == L'"') {
                quoted = false;
            } else if (c == L'\\' && i + 1 < line.size()) {
                current += line[++i];
                onlyFieldCodes = false;
            } else {
                current += c;
                onlyFieldCodes = false;
            }
        } else if (c == L' ' || c == L'\t') {
            finish();
        } else if (c == L'"') {
            quoted = true;
            inArgument = true;
            onlyFieldCodes = false;
        } else if (c == L'%' && i + 1 < line.size()) {
            inArgument = true;
            if (line[++i] == L'%') {
                current += L'%';
                onlyFieldCodes = false;
            }
            // any other field code stands for what the desktop would hand over: nothing here
        } else {
            current += c;
            inArgument = true;
            onlyFieldCodes = false;
        }
    }
    finish();
    return arguments;
}

std::vector<std::wstring> DesktopEntryCommand(const std::wstring& path)
{
    QFile file(QString::fromStdWString(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == QLatin1String("Exec"))
            return SplitDesktopExec(line.mid(eq + 1).trimmed().toStdWString());
    }
    return {};
}
