#pragma once

#include <QString>
#include <QStringList>

// The catalogue's schema, private to CatalogStore.
//
//   catalog_meta  (meta_key PK, meta_value)         format marker, schema version, change stamp
//   programs      (program_id PK, program_name, name_key UNIQUE = upper-cased trimmed name,
//                  description, exe_path, start_in_dir, startup_parms, icon blob or NULL,
//                  added_date = ISO-8601 UTC text, row_version: +1 on every change)
//   principals    (object_id PK, object_name, object_kind 1 user / 2 group, object_sid;
//                  UNIQUE (object_kind, object_name))
//   permissions   (permission_id PK = insertion order, object_id FK, program_id FK, status;
//                  both keys ON DELETE CASCADE; UNIQUE (object_id, program_id); indexes
//                  (object_id, permission_id) and (program_id, permission_id))
//   folders       (folder_id PK, folder_name, folder_path; index on folder_name)
//   themes        (theme_id PK, theme_name UNIQUE, logo_splash, logo_setup, logo_addremove
//                  blobs or NULL, is_default 0/1 with at most one 1)
//
// The SQL is the same for SQLite and PostgreSQL except for the key and blob types.
//
// Versions: 1 the first catalogue; 2 adds row_version to programs, so that an
// edit based on an old reading is refused instead of overwriting another's change.
enum class CatalogEngine { Sqlite, Postgres };

constexpr int kCatalogSchemaVersion = 2;
inline constexpr char kCatalogFormatKey[] = "format";
inline constexpr char kCatalogFormatValue[] = "Tessaro Orvane catalogue";
inline constexpr char kCatalogVersionKey[] = "schema_version";
// Made larger by every writing transaction (CatalogEngine.cpp), in the same transaction.
inline constexpr char kCatalogChangeKey[] = "change_stamp";
inline constexpr char kCatalogMetaTable[] = "catalog_meta";

// The tables every catalogue has.
QStringList CatalogTables();
// The statements that create the schema of `version` in an empty database, in order (without
// the rows of catalog_meta and the default theme).
QStringList CatalogSchemaStatements(CatalogEngine engine, int version = kCatalogSchemaVersion);
// The statements that turn a catalogue of schema `from` into one of schema `from` + 1.
QStringList CatalogUpgradeStatements(CatalogEngine engine, int from);
