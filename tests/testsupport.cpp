#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "db/Schemas.h"

namespace testsupport {

QString SharedDir() {
    return QDir::cleanPath(QStringLiteral(PELORUS_SHARED_DIR));
}
QString SourceDir() {
    return QDir::cleanPath(QStringLiteral(PELORUS_SOURCE_DIR));
}
QString BinaryDir() {
    return QDir::cleanPath(QStringLiteral(PELORUS_BINARY_DIR));
}

QString TsvRow::operator[](const QString& column) const {
    const int i = header.indexOf(column);
    return i >= 0 && i < fields.size() ? fields[i] : QString();
}

QString Unescape(const QString& field) {
    QString out;
    out.reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        const QChar c = field[i];
        if (c != QLatin1Char('\\') || i + 1 >= field.size()) {
            out += c;
            continue;
        }
        const QChar n = field[++i];
        switch (n.unicode()) {
            case '\\':
                out += QLatin1Char('\\');
                break;
            case 't':
                out += QLatin1Char('\t');
                break;
            case 'n':
                out += QLatin1Char('\n');
                break;
            case 'r':
                out += QLatin1Char('\r');
                break;
            case 'f':
                out += QLatin1Char('\f');
                break;
            case 'x': {
                bool ok = false;
                const int code = field.mid(i + 1, 2).toInt(&ok, 16);
                if (ok) {
                    out += QChar(code);
                    i += 2;
                } else {
                    out += QLatin1String("\\x");
                }
                break;
            }
            default:
                out += QLatin1Char('\\');
                out += n;
        }
    }
    return out;
}

QVector<TsvRow> DataTsv(const QString& name) {
    return ReadTsv(SourceDir() + QStringLiteral("/tests/data/") + name);
}

QVector<TsvRow> ReadTsv(const QString& path) {
    QVector<TsvRow> rows;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return rows;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    if (lines.isEmpty())
        return rows;
    const QStringList header = lines.first().split(QLatin1Char('\t'));
    for (int i = 1; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty())
            continue;
        TsvRow row;
        row.header = header;
        row.fields = line.split(QLatin1Char('\t'));
        rows.push_back(row);
    }
    return rows;
}

QStringList SchemaStatements(const QString& schemaFile) {
    const QString script =
        QString::fromUtf8(ReadBytes(SourceDir() + QStringLiteral("/sql/") + schemaFile));
    return ::SchemaStatements(script, QStringLiteral("Send"), QStringLiteral("Receive"));
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace testsupport
