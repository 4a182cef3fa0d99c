#pragma once
// Small helpers shared by the test programs: where the shared fixtures live,
// a scratch folder per test, and reading the tab-separated fixture tables.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

namespace testsupport {

// Folder holding the shared fixtures (peer PDU vectors, modem replies).
QString SharedDir();
// Root of the source tree and of the build tree.
QString SourceDir();
QString BinaryDir();

// Reads a UTF-8 tab-separated file with one header line; each row maps column name -> field as
// stored (call Unescape to undo the fixture escapes \\ \t \n \r \f \xHH).
struct TsvRow {
    QStringList header;
    QStringList fields;
    QString operator[](const QString& column) const;
};
QVector<TsvRow> ReadTsv(const QString& path);
// ReadTsv of a file of tests/data/.
QVector<TsvRow> DataTsv(const QString& name);
QString Unescape(const QString& field);

// The statements of a schema file of sql/ (e.g. "sqlite.sql") as the gateway's --init-db cuts
// them; empty when the file cannot be read.
QStringList SchemaStatements(const QString& schemaFile);

// Writes bytes to a file, creating folders; returns false on failure.
bool WriteBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadBytes(const QString& path);

}  // namespace testsupport
