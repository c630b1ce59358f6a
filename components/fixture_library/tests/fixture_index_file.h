// The bytes of an online fixture library's index ("index.sqlite") holding
// the given rows, for tests that serve one: rows is the SQL text
// "(manufacturer, model, mode, name, path), ...". Header only, so the
// program's tests can serve an index too. Main thread only.
#ifndef FIXTURE_LIBRARY_TESTS_FIXTURE_INDEX_FILE_H
#define FIXTURE_LIBRARY_TESTS_FIXTURE_INDEX_FILE_H

#include <QByteArray>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

inline QByteArray fixtureIndexBytes(const QString& rows)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("index.sqlite");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "test index");
        db.setDatabaseName(path);
        QSqlQuery query(db);
        EXPECT_TRUE(db.open() && query.exec("PRAGMA user_version = 1"));
        EXPECT_TRUE(query.exec("CREATE TABLE fixtures(manufacturer_id INTEGER NOT NULL, model_id INTEGER NOT NULL, "
                               "mode_id INTEGER NOT NULL DEFAULT 0, name TEXT NOT NULL, path TEXT NOT NULL, "
                               "PRIMARY KEY (manufacturer_id, model_id, mode_id))"));
        EXPECT_TRUE(query.exec("INSERT INTO fixtures VALUES " + rows));
    }
    QSqlDatabase::removeDatabase("test index");
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

#endif  // FIXTURE_LIBRARY_TESTS_FIXTURE_INDEX_FILE_H
