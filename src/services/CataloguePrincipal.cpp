#include "services/CataloguePrincipal.h"

#include "catalogue/CatalogStore.h"
#include "directory/DirectoryService.h"

PrincipalEntry AddPrincipalIfMissing(CatalogStore& catalog, DirectoryService& directory,
                                     const QString& domain, const QString& name, int kind,
                                     bool mustBeListed) {
    if (kind == CatalogStore::KindGroup) {
        if (catalog.GroupExists(name))
            return PrincipalEntry::Known;
        if (mustBeListed && !directory.GetGroups(domain, false).contains(name))
            return PrincipalEntry::NotListed;
        catalog.AddGroup(name);
        return PrincipalEntry::Added;
    }
    if (catalog.UserExists(name))
        return PrincipalEntry::Known;
    if (mustBeListed && !directory.GetUsers(domain, false).contains(name))
        return PrincipalEntry::NotListed;
    catalog.AddUser(name, directory.GetAccountSid(domain, name, false));
    return PrincipalEntry::Added;
}
