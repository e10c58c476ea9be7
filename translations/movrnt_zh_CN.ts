<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>movrnt</name>
    <message>
        <source>凯络影碟出租管理系统: the counter software of a video-disc rental shop.</source>
        <translation>凯络影碟出租管理系统：影碟出租店的柜台管理软件。</translation>
    </message>
    <message>
        <source>Shows this help and exits.</source>
        <translation>显示本帮助，然后退出。</translation>
    </message>
    <message>
        <source>Shows the version and exits.</source>
        <translation>显示版本号，然后退出。</translation>
    </message>
    <message>
        <source>Uses DIR as the program folder: the database MOVRNT.db, the covers in Pictures, the help page and the tips. Without it the program's own folder is used when it may write there, else ~/.local/share/movrnt.</source>
        <translation>以 DIR 作为程序文件夹：数据库 MOVRNT.db、Pictures 中的封面、帮助页和使用技巧都在其中。不用此选项时，程序能写入自己所在的文件夹就用它，否则用 ~/.local/share/movrnt。</translation>
    </message>
    <message>
        <source>Writes a consistent copy of the database to FOLDER/MOVRNT.db and exits.</source>
        <translation>把数据库的一致副本写入 FOLDER/MOVRNT.db，然后退出。</translation>
    </message>
    <message>
        <source>Writes the discs, rentals, members and ledger to FOLDER/MOVRNT.xlsx (never over an existing file) and exits.</source>
        <translation>把影碟、租借、会员和账务流水导出到 FOLDER/MOVRNT.xlsx（不会覆盖已有的文件），然后退出。</translation>
    </message>
    <message>
        <source>REPLACES the whole shop (discs, rentals, members and ledger) with a workbook's sheets, once every row is checked, and exits.</source>
        <translation>检查工作簿的每一行后，用工作簿中的数据【替换】整个店的数据（影碟、租借、会员和账务流水），然后退出。</translation>
    </message>
    <message>
        <source>Runs the counter on the shop's database on a PostgreSQL server, named by a libpq URL (postgresql://user@host:port/dbname); the password comes from ~/.pgpass or PGPASSFILE, or is typed at the logon, never from the URL.</source>
        <translation>使用 PostgreSQL 数据库服务器上的店铺数据库，地址为 libpq 格式（postgresql://用户@主机:端口/数据库）；密码来自 ~/.pgpass 或 PGPASSFILE，或在登录时输入，不能写在地址中。</translation>
    </message>
    <message>
        <source>Copies the shop's database file into the empty database at URL on a PostgreSQL server, in one transaction, asking the owner's password, and exits.</source>
        <translation>在一个事务中把店铺的数据库文件复制到 PostgreSQL 服务器上地址为 URL 的空数据库（会要求输入店主的密码），然后退出。</translation>
    </message>
    <message>
        <source>Copies the shop's database at URL on a PostgreSQL server, with its settings and covers, into the program folder's database file (which must hold no shop yet) and exits.</source>
        <translation>把 PostgreSQL 服务器上地址为 URL 的店铺数据库，连同设置和封面，复制到程序文件夹的数据库文件中（该文件中还不能有店铺的数据），然后退出。</translation>
    </message>
    <message>
        <source>Try 'movrnt --help'.</source>
        <translation>请运行“movrnt --help”查看用法。</translation>
    </message>
    <message>
        <source>unexpected argument: %1</source>
        <translation>多余的参数：%1</translation>
    </message>
    <message>
        <source>--copy-to and --copy-from move a shop between its file and a server: not with --database</source>
        <translation>--copy-to 和 --copy-from 在数据库文件和服务器之间搬移店铺，不能与 --database 同时使用</translation>
    </message>
</context>
</TS>
