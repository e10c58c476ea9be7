#include "ServerPeople.h"
#include "SqlSupport.h"
#include "core/store/Shop.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>
#include <libpq-fe.h>

namespace {
// Refusals are said as a check's failure (23514): the program shows their words.
const char* const kGuard =
    "CREATE OR REPLACE FUNCTION movrnt_people_guard(p TEXT, fresh BOOLEAN) RETURNS TEXT LANGUAGE "
    "plpgsql"
    " SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$DECLARE g TEXT[]; BEGIN"
    " IF session_user <> current_user AND NOT pg_has_role(session_user, 'movrnt_owner', 'MEMBER') "
    "THEN"
    " RAISE EXCEPTION '只有店主才能管理人员' USING ERRCODE = '42501'; END IF;"
    " IF fresh THEN"
    " IF p IS NULL OR p = '' THEN RAISE EXCEPTION '姓名不能为空！' USING ERRCODE = '23514'; END IF;"
    " IF p <> btrim(p) THEN RAISE EXCEPTION '姓名的开头和结尾不能有空格！' USING ERRCODE = "
    "'23514'; END IF;"
    " IF octet_length(p) > 63 THEN RAISE EXCEPTION '姓名太长了：最多 63 个字节（约 21 个汉字）！'"
    " USING ERRCODE = '23514'; END IF;"
    " IF p ~ '[[:cntrl:]]' THEN RAISE EXCEPTION '姓名中不能有控制字符！' USING ERRCODE = '23514'; "
    "END IF;"
    " IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = p) THEN RAISE EXCEPTION"
    " '数据库服务器上已经有叫“%”的用户了（用户名在整个服务器上不能重复），请换一个姓名！', p"
    " USING ERRCODE = '23514'; END IF;"
    " RETURN NULL; END IF;"
    // Only a role of the shop's people, in exactly one of its groups and
    // holding no power of its own.
    " SELECT array_agg(CAST(r.rolname AS TEXT)) INTO g FROM pg_auth_members m JOIN pg_roles r ON"
    " r.oid = m.roleid JOIN pg_roles u ON u.oid = m.member WHERE u.rolname = p;"
    " IF NOT EXISTS (SELECT 1 FROM %1.czry WHERE xm = p) OR cardinality(g) IS DISTINCT FROM 1 OR "
    "g[1] NOT IN"
    " ('movrnt_owner', 'movrnt_clerk') OR EXISTS (SELECT 1 FROM pg_roles WHERE rolname = p AND "
    "(rolsuper OR"
    " rolcreaterole OR rolcreatedb OR rolreplication OR rolbypassrls)) THEN RAISE EXCEPTION"
    " '“%”不是本店的人员。', p USING ERRCODE = '23514'; END IF;"
    " RETURN g[1]; END$$";

// Roles that are some shop's people carry this comment: the roles are the
// whole server's, and no owner may take another shop's person for his own
// shop's shared counter role.
const char* const kPersonMark = " EXECUTE format('COMMENT ON ROLE %I IS %L', p, 'movrnt 人员');";

const char* const kVerifierCheck =
    " IF v IS NULL OR v NOT LIKE 'SCRAM-SHA-256$%' THEN RAISE EXCEPTION"
    " '密码必须以 SCRAM-SHA-256 的方式交给服务器' USING ERRCODE = '22023'; END IF;";

const char* const kAdd =
    "CREATE OR REPLACE FUNCTION movrnt_person_add(p TEXT, v TEXT, w TEXT) RETURNS void LANGUAGE "
    "plpgsql"
    " SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$BEGIN"
    " PERFORM %1.movrnt_people_guard(p, true);%2"
    " IF w IS NULL OR w NOT IN ('店主', '店员') THEN RAISE EXCEPTION '身份只能是店主或店员' USING"
    " ERRCODE = '23514'; END IF;"
    " IF w = '店员' AND NOT EXISTS (SELECT 1 FROM %1.czry WHERE js = '店主' AND ty = '否') THEN"
    " RAISE EXCEPTION '请先为店主自己建立登录账户（身份选“店主”），再添加店员。' USING ERRCODE = "
    "'23514';"
    " END IF;"
    " EXECUTE format('CREATE ROLE %I LOGIN PASSWORD %L IN ROLE %I', p, v,"
    " CASE w WHEN '店主' THEN 'movrnt_owner' ELSE 'movrnt_clerk' END);%3"
    " INSERT INTO %1.czry (xm, js) VALUES (p, w);"
    // Once an owner logs on by his own name, the program keeps no password of its own.
    " IF w = '店主' THEN DELETE FROM %1.cssz WHERE mc = 'Password'; END IF; END$$";

const char* const kRename =
    "CREATE OR REPLACE FUNCTION movrnt_person_rename(p TEXT, n TEXT) RETURNS void LANGUAGE plpgsql"
    " SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$BEGIN"
    " PERFORM %1.movrnt_people_guard(p, false);"
    " IF p = session_user THEN RAISE EXCEPTION '您正在以“%”的身份登录，不能修改自己的姓名。', p "
    "USING"
    " ERRCODE = '23514'; END IF;"
    " PERFORM %1.movrnt_people_guard(n, true);"
    " IF EXISTS (SELECT 1 FROM pg_stat_activity WHERE usename = p) THEN RAISE EXCEPTION"
    " '“%”正在使用本系统，不能改名：请等他退出后再改。', p USING ERRCODE = '23514'; END IF;"
    " EXECUTE format('ALTER ROLE %I RENAME TO %I', p, n);"
    " UPDATE %1.czry SET xm = n WHERE xm = p; END$$";

const char* const kEnable =
    "CREATE OR REPLACE FUNCTION movrnt_person_enable(p TEXT, enabled BOOLEAN) RETURNS void "
    "LANGUAGE plpgsql"
    " SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$DECLARE g TEXT; BEGIN"
    " g := %1.movrnt_people_guard(p, false);"
    " IF NOT enabled AND p = session_user THEN RAISE EXCEPTION "
    "'您正在以“%”的身份登录，不能停用自己。', p"
    " USING ERRCODE = '23514'; END IF;"
    " IF NOT enabled AND g = 'movrnt_owner' AND NOT EXISTS (SELECT 1 FROM %1.czry WHERE js = "
    "'店主' AND"
    " ty = '否' AND xm <> p) THEN RAISE EXCEPTION '店里至少要有一位可以登录的店主。' USING ERRCODE "
    "= '23514';"
    " END IF;"
    " EXECUTE format('ALTER ROLE %I ' || CASE WHEN enabled THEN 'LOGIN' ELSE 'NOLOGIN' END, p);"
    " UPDATE %1.czry SET ty = CASE WHEN enabled THEN '否' ELSE '是' END WHERE xm = p; END$$";

const char* const kPassword = "CREATE OR REPLACE FUNCTION movrnt_person_password(p TEXT, v TEXT) "
                              "RETURNS void LANGUAGE plpgsql"
                              " SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$BEGIN"
                              " PERFORM %1.movrnt_people_guard(p, false);%2"
                              " EXECUTE format('ALTER ROLE %I PASSWORD %L', p, v); END$$";

// The counter role the shop ran on before it had people: out of the groups
// and without the grants it had of its own. Only a person may retire it, so
// no one locks the shop out by retiring the role he is logged in as.
const char* const kRetire =
    "CREATE OR REPLACE FUNCTION movrnt_retire_login(r TEXT) RETURNS void LANGUAGE plpgsql"
    " SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $$DECLARE g TEXT; BEGIN"
    " IF session_user <> current_user AND NOT pg_has_role(session_user, 'movrnt_owner', 'MEMBER') "
    "THEN"
    " RAISE EXCEPTION '只有店主才能管理人员' USING ERRCODE = '42501'; END IF;"
    " IF NOT EXISTS (SELECT 1 FROM %1.czry WHERE xm = session_user) THEN RAISE EXCEPTION"
    " '请以您自己的姓名登录后，再停用共用的柜台账户。' USING ERRCODE = '23514'; END IF;"
    " IF r IS NULL OR r = current_user OR r IN ('movrnt_owner', 'movrnt_clerk', 'movrnt_guest', "
    "'movrnt_expert')"
    " OR EXISTS (SELECT 1 FROM %1.czry WHERE xm = r) OR NOT EXISTS (SELECT 1 FROM pg_roles WHERE "
    "rolname = r"
    " AND NOT rolsuper AND shobj_description(oid, 'pg_authid') IS DISTINCT FROM 'movrnt 人员') OR "
    "EXISTS (SELECT 1 FROM pg_auth_members m JOIN pg_roles o ON o.oid = "
    "m.roleid"
    " JOIN pg_roles u ON u.oid = m.member WHERE u.rolname = r AND o.rolname NOT IN ('movrnt_owner',"
    " 'movrnt_clerk')) THEN RAISE EXCEPTION '“%”不是共用的柜台账户。', r USING ERRCODE = '23514'; "
    "END IF;"
    " FOR g IN SELECT gr.rolname FROM pg_auth_members m JOIN pg_roles gr ON gr.oid = m.roleid JOIN "
    "pg_roles u"
    " ON u.oid = m.member WHERE u.rolname = r LOOP EXECUTE format('REVOKE %I FROM %I', g, r); END "
    "LOOP;"
    " EXECUTE format('REVOKE ALL ON ALL TABLES IN SCHEMA %I FROM %I', '%3', r);"
    " EXECUTE format('REVOKE ALL ON ALL SEQUENCES IN SCHEMA %I FROM %I', '%3', r); END$$";
} // namespace

QStringList ServerPeopleTable(const QStringList& groups)
{
    QStringList steps = {QStringLiteral(
        "CREATE TABLE czry (xm TEXT PRIMARY KEY, js TEXT NOT NULL CHECK (js IN ('店主', '店员')),"
        " mm TEXT NOT NULL DEFAULT '' CHECK (mm = ''), ty TEXT NOT NULL DEFAULT '否' CHECK (ty IN "
        "('是', '否')))")};
    if (!groups.isEmpty())
        steps << QStringLiteral("GRANT SELECT ON czry TO ") + groups.join(QStringLiteral(", "));
    return steps;
}

QStringList ServerPeopleFunctions(const QString& quotedSchema)
{
    // The schema's name in a text literal, for format('%I'): quotes undone, one doubled.
    QString bare = quotedSchema;
    if (bare.startsWith(u'"'))
        bare = bare.mid(1, bare.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    bare.replace(u'\'', QStringLiteral("''"));
    const QString check = QString::fromUtf8(kVerifierCheck);
    QStringList steps = {
        QString::fromUtf8(kGuard).arg(quotedSchema),
        QString::fromUtf8(kAdd).arg(quotedSchema, check, QString::fromUtf8(kPersonMark)),
        QString::fromUtf8(kRename).arg(quotedSchema),
        QString::fromUtf8(kEnable).arg(quotedSchema),
        QString::fromUtf8(kPassword).arg(quotedSchema, check),
        QString::fromUtf8(kRetire).arg(quotedSchema).arg(bare)};
    // People made before their roles were marked.
    steps << QStringLiteral(
                 "DO $$DECLARE p TEXT; BEGIN FOR p IN SELECT xm FROM czry JOIN pg_roles ON"
                 " rolname = xm LOOP%1 END LOOP; END$$")
                 .arg(QString::fromUtf8(kPersonMark))
          << QStringLiteral(
                 "REVOKE ALL ON FUNCTION movrnt_people_guard(TEXT, BOOLEAN) FROM PUBLIC");
    for (const char* function :
         {"movrnt_person_add(TEXT, TEXT, TEXT)", "movrnt_person_rename(TEXT, TEXT)",
          "movrnt_person_enable(TEXT, BOOLEAN)", "movrnt_person_password(TEXT, TEXT)",
          "movrnt_retire_login(TEXT)"})
        steps
            << QStringLiteral("REVOKE ALL ON FUNCTION %1 FROM PUBLIC").arg(QLatin1String(function))
            << QStringLiteral("GRANT EXECUTE ON FUNCTION %1 TO movrnt_owner")
                   .arg(QLatin1String(function));
    return steps;
}

QByteArray ServerPasswordVerifier(const QSqlDatabase& db, const QString& user,
                                  const QString& password)
{
    PGconn* connection = store::ServerHandle(db);
    if (!connection)
        return {};
    char* made = PQencryptPasswordConn(connection, password.toUtf8().constData(),
                                       user.toUtf8().constData(), "scram-sha-256");
    if (!made)
        return {};
    QByteArray verifier(made);
    PQfreemem(made);
    return verifier;
}
