#include "quarn/app/project_settings.h"

#include <array>
#include <filesystem>
#include <span>
#include <system_error>
#include <variant>

#include "quarn/script/beneath_root.h"
#include "quarn/script/file_replacement.h"
#include "quarn/script/name_list.h"
#include "quarn/services/html_root.h"
#include "quarn/services/settings.h"

namespace {

namespace pk = project_key;
using V = ProjectSettingsValues;

struct IntField {
    IntKey key;
    int V::*member;
};
struct StringField {
    StringKey key;
    std::string V::*member;
};
using Field = std::variant<IntField, StringField>;

// Written before the check of the web server, in this order.
const std::array<Field, 13> kServerFields{
    IntField{pk::dialupen, &V::dialupen},
    IntField{pk::runscript2check, &V::runscript2check},
    IntField{pk::runscriptcheck, &V::runscriptcheck},
    IntField{pk::ftpcheck, &V::ftpcheck},
    IntField{pk::execcheck, &V::execcheck},
    StringField{pk::scriptfilename, &V::scriptfilename},
    StringField{pk::script2filename, &V::script2filename},
    StringField{pk::execname, &V::execname},
    StringField{pk::wslogon, &V::wslogon},
    StringField{pk::wsname, &V::wsname},
    StringField{pk::wspasswd, &V::wspasswd},
    StringField{pk::wsfilepath, &V::wsfilepath},
    IntField{pk::ftpport, &V::ftpport},
};

// Written after it, in this order.
const std::array<Field, 26> kOtherFields{
    StringField{pk::wsaccount, &V::wsaccount},
    IntField{pk::ftppasv, &V::ftppasv},
    IntField{pk::useproxy, &V::useproxy},
    StringField{pk::proxyname, &V::proxyname},
    IntField{pk::proxyport, &V::proxyport},
    StringField{pk::proxylogon, &V::proxylogon},
    StringField{pk::proxypass, &V::proxypass},
    IntField{pk::wsclean, &V::wsclean},
    IntField{pk::uploadchg, &V::uploadchg},
    IntField{pk::lfnferror, &V::lfnferror},
    IntField{pk::resumefailedupload, &V::resumefailedupload},
    IntField{pk::ftpretry, &V::ftpretry},
    IntField{pk::ftpretrypause, &V::ftpretrypause},
    IntField{pk::delh, &V::delh},
    IntField{pk::listen, &V::listen},
    IntField{pk::eofnnf, &V::eofnnf},
    StringField{pk::roothtml, &V::roothtml},
    StringField{pk::pscriptdir, &V::pscriptdir},
    StringField{pk::database, &V::database},
    IntField{pk::odbccolsize, &V::odbccolsize},
    IntField{pk::odbccursorlib, &V::odbccursorlib},
    IntField{pk::errorscripten, &V::errorscripten},
    StringField{pk::errorscript, &V::errorscript},
    StringField{pk::scriptexec, &V::scriptexec},
    StringField{pk::scriptdir, &V::scriptdir},
    IntField{pk::useexternalscript, &V::useexternalscript},
};

void ReadFields(std::span<const Field> fields, std::string_view section, V& values) {
    for (const Field& field : fields) {
        std::visit([&](const auto& f) { values.*f.member = g_settings.Get(section, f.key); },
                   field);
    }
}

int WriteFields(std::span<const Field> fields, std::string_view section, const V& values,
                std::string& error) {
    for (const Field& field : fields) {
        const bool written = std::visit(
            [&](const auto& f) { return g_settings.Set(section, f.key, values.*f.member, &error); },
            field);
        if (!written) return 0;
    }
    return 1;
}

// Whether two HTML roots name one directory: the same path once resolved, or two paths that
// reach the same existing directory (through a link, say).
bool SameDirectory(const std::string& a, const std::string& b) {
    if (a == b) return true;
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

}  // namespace

CProjectSettings::CProjectSettings(std::string project, std::string projectDir)
    : m_strProject(std::move(project)), m_strProjectDir(std::move(projectDir)) {}

void CProjectSettings::Load() {
    ReadFields(kServerFields, m_strProject, m_values);
    ReadFields(kOtherFields, m_strProject, m_values);
    m_strReadWsname = m_values.wsname;
    m_strReadWsfilepath = m_values.wsfilepath;
    m_strReadRoothtml = m_values.roothtml;
}

bool CProjectSettings::AsksForDelh() const {
    return m_values.wsclean != 0 && m_values.uploadchg == 0 && m_values.delh == 0;
}

int CProjectSettings::Save() {
    if (!WriteFields(kServerFields, m_strProject, m_values, m_strMessage)) return 0;
    if (m_values.wsname != m_strReadWsname || m_values.wsfilepath != m_strReadWsfilepath)
        RemoveIfPresent(ProjectFile("htmlgen.old"));
    return WriteFields(kOtherFields, m_strProject, m_values, m_strMessage);
}

bool CProjectSettings::AsksToDeleteOldOutput() const {
    if (m_values.roothtml == m_strReadRoothtml) return false;
    if (SameDirectory(ResolveHtmlRoot(m_strProjectDir, m_strReadRoothtml),
                      ResolveHtmlRoot(m_strProjectDir, m_values.roothtml)))
        return false;
    return g_settings.Get(m_strProject, pk::delh) != 0;
}

int CProjectSettings::DeleteOldOutput() {
    std::string list;
    if (ReadListFile(ProjectFile("htmlgen.log"), list) == ListFileRead::kRead) {
        if (const platform::UniqueFd root =
                OpenDirectory(ResolveHtmlRoot(m_strProjectDir, m_strReadRoothtml))) {
            for (const std::string& name : NamesUnderRoot(list))
                DeleteFileBeneath(root.Get(), name);
        }
    }
    RemoveIfPresent(ProjectFile("htmlgen.log"));
    RemoveIfPresent(ProjectFile("htmlgen.chg"));
    return g_settings.Set(m_strProject, pk::htmltop, "", &m_strMessage);
}

std::string CProjectSettings::ProjectFile(std::string_view name) const {
    return m_strProjectDir + "/" + std::string(name);
}
