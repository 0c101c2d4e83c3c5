#pragma once

#include <QString>
#include <ldap.h>

// The OpenLDAP client library, loaded when a directory domain is first reached. Linked into the
// program it would bring a dozen libraries (SASL, GnuTLS and what they need) into every start,
// also on the machines whose domain is the local accounts.
// clang-format off
#define ORV_LDAP_FUNCTIONS(X) \
    X(ldap_err2string) \
    X(ldap_msgfree) \
    X(ldap_get_option) \
    X(ldap_memfree) \
    X(ldap_unbind_ext_s) \
    X(ldap_control_free) \
    X(ldap_controls_free) \
    X(ldap_get_dn) \
    X(ldap_first_attribute) \
    X(ldap_next_attribute) \
    X(ldap_get_values_len) \
    X(ldap_value_free_len) \
    X(ber_free) \
    X(ldap_domain2hostlist) \
    X(ldap_initialize) \
    X(ldap_set_option) \
    X(ldap_start_tls_s) \
    X(ldap_connect) \
    X(ldap_sasl_bind_s) \
    X(ldap_sasl_interactive_bind_s) \
    X(ldap_create_page_control) \
    X(ldap_search_ext_s) \
    X(ldap_first_entry) \
    X(ldap_next_entry) \
    X(ldap_parse_result) \
    X(ldap_control_find) \
    X(ldap_parse_pageresponse_control) \
    X(ber_memfree)
// clang-format on

struct LdapLibrary {
#define ORV_LDAP_POINTER(name) decltype(&::name) name;
    ORV_LDAP_FUNCTIONS(ORV_LDAP_POINTER)
#undef ORV_LDAP_POINTER

    // The library, loaded once for the whole run; null, with `error` saying why, when it
    // cannot be loaded.
    static const LdapLibrary* Get(QString& error);
};
