#pragma once

#include <QString>

class CatalogStore;
class DirectoryService;

// What AddPrincipalIfMissing found.
enum class PrincipalEntry {
    Known,     // the catalogue knew the principal already
    Added,     // he was added
    NotListed, // the directory does not list him; nothing was added
};

// Makes sure the catalogue knows the principal `name` of `kind` (CatalogStore::KindUser or
// KindGroup) before a rule is written for him: a group is added by its name, a user with the
// SID the directory gives him in `domain`. With `mustBeListed` (a name typed rather than
// picked from the directory) one the directory does not list in `domain` is not added.
// Catalogue and directory failures throw OrvError.
PrincipalEntry AddPrincipalIfMissing(CatalogStore& catalog, DirectoryService& directory,
                                     const QString& domain, const QString& name, int kind,
                                     bool mustBeListed);
