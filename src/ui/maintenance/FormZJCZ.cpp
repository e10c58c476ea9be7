#include "FormZJCZ.h"
#include "FormSQLCX.h"
#include "core/store/Shop.h"

#include "ExpertPassword.h"
#include "FormExcel.h"

#include "ui/common/Background.h"
#include "ui/common/Controls.h"
#include "ui/common/GridView.h"
#include "ui/common/MessageBox.h"
#include "ui/common/Seams.h"
#include "ui/common/SqlGridModel.h"
#include "ui/common/WindowSupport.h"

#include "core/maintenance/Expert.h"
#include "core/store/Database.h"
#include "core/store/Engine.h"
#include "core/store/Errors.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
// The tree's small pictures, drawn here: database, table, main key, foreign key, field.
QIcon Picture(const QString& kind)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (kind == u"database") {
        painter.setBrush(QColor(0x3a, 0x7b, 0xd5));
        painter.drawRect(2, 4, 12, 9);
        painter.drawEllipse(2, 1, 12, 6);
        painter.drawEllipse(2, 10, 12, 5);
    } else if (kind == u"table") {
        painter.setBrush(Qt::white);
        painter.drawRect(1, 2, 14, 12);
        painter.drawLine(1, 6, 15, 6);
        painter.drawLine(8, 6, 8, 14);
    } else if (kind == u"field") {
        painter.setBrush(QColor(0x9e, 0x9e, 0x9e));
        painter.drawRect(3, 5, 10, 6);
    } else { // a key: gold for the main key, green for a foreign one
        painter.setBrush(kind == u"mainkey" ? QColor(0xe0, 0xa8, 0x00) : QColor(0x2e, 0x9d, 0x5a));
        painter.drawEllipse(1, 4, 7, 7);
        painter.drawRect(7, 7, 8, 2);
        painter.drawRect(12, 9, 2, 3);
    }
    return QIcon(pixmap);
}

struct Item
{
    const char* text;
    const char* picture;
    const char* key;
};

const QList<std::pair<Item, QList<Item>>>& Structure()
{
    static const QList<std::pair<Item, QList<Item>>> tables = {
        {{"ydxx", "table", "ydxx"},
         {{"bh", "mainkey", "mbh"},
          {"pm", "field", ""},
          {"lx", "field", ""},
          {"ydlx", "field", ""},
          {"zy", "field", ""},
          {"gj", "field", ""},
          {"rkrq", "field", ""},
          {"sfycz", "field", ""},
          {"nrjj", "field", ""}}},
        {{"zjxx", "table", "zjxx"},
         {{"zdbh", "mainkey", ""},
          {"bh", "exkey", "ebh"},
          {"czrq", "field", ""},
          {"ghrq", "field", ""},
          {"sfyh", "field", ""},
          {"hybh", "exkey", "ehybh"}}},
        {{"hyxx", "table", "hyxx"},
         {{"hybh", "mainkey", "mhybh"},
          {"hyxm", "field", ""},
          {"hyxb", "field", ""},
          {"hyzz", "field", ""},
          {"lxdh", "field", ""},
          {"hydj", "field", ""},
          {"yjje", "field", ""},
          {"zjje", "field", ""},
          {"yjps", "field", ""},
          {"rhrq", "field", ""}}},
    };
    return tables;
}

QString Description(const QString& text, const QString& key)
{
    if (text == u"bh")
        return key == u"mbh" ? QStringLiteral("影碟编号（主键）")
                             : QStringLiteral("影碟编号（外键）");
    if (text == u"hybh")
        return key == u"mhybh" ? QStringLiteral("会员编号（主键）")
                               : QStringLiteral("会员编号（外键）");
    static const QList<std::pair<QString, QString>> descriptions = {
        {"movrnt", "本程序所使用的数据库"},   {"ydxx", "用于存放影碟信息的表"},
        {"zjxx", "用于存放租借信息的表"},     {"hyxx", "用于存放会员信息的表"},
        {"pm", "片名（普通字段）"},           {"lx", "影片类型（普通字段）"},
        {"ydlx", "影碟类型（普通字段）"},     {"zy", "主演（普通字段）"},
        {"gj", "影片国籍（普通字段）"},       {"rkrq", "入库日期（普通字段）"},
        {"sfycz", "是否已出租（普通字段）"},  {"nrjj", "内容简介（普通字段）"},
        {"zdbh", "自动编号（主键）"},         {"czrq", "出租日期（普通字段）"},
        {"ghrq", "归还日期（普通字段）"},     {"sfyh", "是否已还（普通字段）"},
        {"hyxm", "会员姓名（普通字段）"},     {"hyxb", "会员性别（普通字段）"},
        {"hyzz", "会员住址（普通字段）"},     {"lxdh", "联系电话（普通字段）"},
        {"hydj", "会员等级（普通字段）"},     {"yjje", "预付押金金额（普通字段）"},
        {"zjje", "预付租金金额（普通字段）"}, {"yjps", "已借盘数（普通字段）"},
        {"rhrq", "入会日期（普通字段）"}};
    for (const auto& [name, description] : descriptions)
        if (name == text)
            return description;
    return {};
}

QTreeWidgetItem* MakeItem(const Item& item)
{
    auto* node = new QTreeWidgetItem({QString::fromLatin1(item.text)});
    node->setIcon(0, Picture(QString::fromLatin1(item.picture)));
    node->setData(0, Qt::UserRole, QString::fromLatin1(item.key));
    return node;
}
} // namespace

FormZJCZ::FormZJCZ(Shop& shop, QWidget* parent, const QString& password)
    : QDialog(parent), shop_(shop), password_(password)
{
    setObjectName(QStringLiteral("FormZJCZ"));
    setWindowTitle(QStringLiteral("专家操作方式"));
    auto* frame4 = new QGroupBox(QStringLiteral("本系统工作数据库的逻辑结构"), this);
    frame4->setObjectName(QStringLiteral("Frame4"));
    treeViewDB_ = new QTreeWidget(frame4);
    treeViewDB_->setObjectName(QStringLiteral("TreeViewDB"));
    treeViewDB_->setToolTip(QStringLiteral("数据库结构视图"));
    treeViewDB_->setAccessibleName(QStringLiteral("数据库结构视图"));
    treeViewDB_->setHeaderHidden(true);
    QTreeWidgetItem* root = MakeItem({"movrnt", "database", "movrnt"});
    for (const auto& [table, fields] : Structure()) {
        QTreeWidgetItem* node = MakeItem(table);
        for (const Item& field : fields)
            node->addChild(MakeItem(field));
        root->addChild(node);
    }
    treeViewDB_->addTopLevelItem(root);
    root->setExpanded(true);
    auto* label2 =
        new QLabel(QStringLiteral("数据库结构视图显示了本程序工作数据库的数据库逻辑结构，"
                                  "列出了编写SQL语句所需的表名和字段名，请严格依照数据库"
                                  "结构编写SQL语句！"),
                   frame4);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setWordWrap(true);
    labelZS_ = new QLabel(QStringLiteral("点击左边的图标以查看相应信息。"), frame4);
    labelZS_->setObjectName(QStringLiteral("LabelZS"));
    labelZS_->setWordWrap(true);
    auto* structure = new QHBoxLayout(frame4);
    structure->addWidget(treeViewDB_, 1);
    auto* notes = new QVBoxLayout;
    notes->addWidget(label2);
    notes->addWidget(labelZS_);
    notes->addStretch();
    structure->addLayout(notes, 1);

    auto* frame1 = new QGroupBox(QStringLiteral("SQL操作"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* frame2 = new QGroupBox(QStringLiteral("执行SQL语句"), frame1);
    frame2->setObjectName(QStringLiteral("Frame2"));
    textSQL_ = new QPlainTextEdit(frame2);
    textSQL_->setObjectName(QStringLiteral("TextSQL"));
    textSQL_->setToolTip(QStringLiteral("在此输入SQL语句"));
    textSQL_->setAccessibleName(QStringLiteral("SQL语句"));
    textSQL_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* commandZX = MakeButton(frame2, "CommandZX", QStringLiteral("执行(&U)"),
                                 QStringLiteral("执行输入的SQL语句"));
    auto* commandQK = MakeButton(frame2, "CommandQK", QStringLiteral("清空"),
                                 QStringLiteral("清除输入的SQL语句"));
    auto* label3 =
        new QLabel(QStringLiteral("（注意：执行不恰当的SQL语句可能导致本系统崩溃！）"), frame2);
    label3->setObjectName(QStringLiteral("Label3"));
    auto* sqlButtons = new QHBoxLayout;
    sqlButtons->addWidget(label3, 1);
    sqlButtons->addWidget(commandZX);
    sqlButtons->addWidget(commandQK);
    auto* sqlLayout = new QVBoxLayout(frame2);
    sqlLayout->addWidget(textSQL_, 1);
    sqlLayout->addLayout(sqlButtons);
    auto* frame3 = new QGroupBox(QStringLiteral("与 Microsoft Excel 交换数据"), frame1);
    frame3->setObjectName(QStringLiteral("Frame3"));
    auto* commandExcel =
        MakeButton(frame3, "CommandExcel", QStringLiteral("从Excel导入/导出数据(&E)"));
    auto* excelLayout = new QHBoxLayout(frame3);
    excelLayout->addWidget(commandExcel);
    excelLayout->addStretch();
    auto* operations = new QVBoxLayout(frame1);
    operations->addWidget(frame2, 1);
    operations->addWidget(frame3);
    auto* label1 =
        new QLabel(QStringLiteral("用户提示：专家操作方式是提供给具备SQL语言和电子表格软件专"
                                  "业知识的高级用户使用的，一般用户请不要使用该项功能，以免"
                                  "引起数据丢失！"),
                   this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame4, 2);
    layout->addWidget(frame1, 3);
    layout->addWidget(label1);
    resize(640, 560);

    connect(treeViewDB_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const QString description =
            Description(item->text(0), item->data(0, Qt::UserRole).toString());
        if (!description.isEmpty())
            labelZS_->setText(description);
    });
    connect(commandQK, &QPushButton::clicked, this, [this] {
        textSQL_->clear();
        textSQL_->setFocus();
    });
    connect(commandZX, &QPushButton::clicked, this, &FormZJCZ::onCommandZXClicked);
    connect(commandExcel, &QPushButton::clicked, this, [this] {
        FormExcel exchange(shop_, this);
        ExecModal(exchange);
    });
}

void FormZJCZ::onCommandZXClicked()
{
    const QString text = textSQL_->toPlainText();
    if (text.isEmpty()) {
        Refuse(QStringLiteral("SQL语句不能为空！"), textSQL_);
        return;
    }
    if (!Ask(QStringLiteral("您确实要执行SQL语句 ： '") + text + QStringLiteral("' 吗？"),
             QStringLiteral("用户警告")))
        return;
    BusyStatus busy(QStringLiteral("正在执行SQL语句 ..."), true);
    std::unique_ptr<SqlGridModel> rows;
    try {
        // Typed statements run confined, on a connection of their own, on a
        // worker: a statement still running after two seconds can be stopped.
        ExpertSession session(shop_.path(), password_);
        const TypedStatement statement = session.read(text);
        const bool query = !statement.columns.isEmpty() && statement.readOnly;
        TypedRows first;
        WorkRows work;
        work.countsRows = false;
        work.showAfterMs = 2000;
        work.stopCaption = QStringLiteral("停止");
        work.onStop = [&session] { session.stop(); };
        RunInBackground(
            this, QStringLiteral("正在执行SQL语句 ..."),
            [&] {
                if (query) // a query shows its rows: the count and first page here
                    first = session.firstRows(statement, SqlGridModel::kPageSize);
                else // run once; whatever it returns is not shown
                    session.run(statement);
            },
            &work);
        if (query) {
            rows = std::make_unique<SqlGridModel>(shop_, statement.columns);
            rows->setReadQuery(QStringLiteral("*"), TypedRowsSource(statement), first.total,
                               std::move(first.firstPage));
        }
    } catch (const MovrntError& error) {
        busy.done();
        ReportError(error);
        textSQL_->setFocus();
        return;
    }
    busy.done();
    Notice(QStringLiteral("SQL语句执行成功！"));
    if (!rows)
        return;
    if (rows->total() == 0) {
        Refuse(QStringLiteral("没有找到记录！"), textSQL_);
        return;
    }
    FormSQLCX result(text, rows.release(), this);
    ExecModal(result);
}

void EnterExpertMode(Shop& shop, QWidget* parent)
{
    if (!Ask(QStringLiteral("专家操作方式只能由熟悉计算机技术的用户使用！要进入专家操作窗口吗？"),
             QStringLiteral("用户警告")))
        return;
    // On a server the mode logs in as its own user, whose password the owner types.
    QString password;
    if (shop.engine().expertLogsIn()) {
        ExpertPassword ask(parent);
        if (ExecModal(ask) != QDialog::Accepted)
            return;
        password = ask.password();
        try {
            const ExpertSession reached(shop.path(), password); // the password tried at once
        } catch (const MovrntError& error) {
            ReportError(error);
            return;
        }
    }
    FormZJCZ window(shop, parent, password);
    ExecModal(window);
}
