#include "StringTable.h"

#include <QFile>
#include <map>

namespace {

using Table = std::map<int, std::string>;

Table LoadTable(const QString& resource)
{
    Table table;
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return table;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (line.endsWith('\n'))
            line.chop(1);
        qsizetype tab = line.indexOf('\t');
        bool ok = false;
        int id = line.left(tab).toInt(&ok);
        if (tab > 0 && ok)
            table[id] = line.mid(tab + 1).toStdString();
    }
    return table;
}

const Table& TableFor(QLocale::Language language)
{
    static const Table english = LoadTable(QStringLiteral(":/strings/en.tsv"));
    static const Table korean = LoadTable(QStringLiteral(":/strings/ko.tsv"));
    return language == QLocale::Korean ? korean : english;
}

} // namespace

std::string LoadResString(int id, QLocale::Language language)
{
    const Table& table = TableFor(language);
    auto it = table.find(id);
    return it != table.end() ? it->second : std::string();
}

std::string LoadResString(int id)
{
    return LoadResString(id, QLocale::system().language());
}

std::string LoadResStringWith(int id, const char* pszArgument)
{
    std::string text = LoadResString(id);
    if (size_t at = text.find("%s"); pszArgument != nullptr && at != std::string::npos)
        text.replace(at, 2, pszArgument);
    return text;
}
