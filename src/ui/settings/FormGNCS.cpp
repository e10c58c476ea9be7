#include "FormGNCS.h"

#include "ui/auxiliary/FormXZLJ.h"
#include "ui/common/Background.h"
#include "ui/common/Controls.h"
#include "ui/common/MessageBox.h"
#include "ui/common/Seams.h"
#include "ui/common/WindowSupport.h"

#include "core/access/PassCheck.h"
#include "core/maintenance/Backup.h"
#include "core/rentals/Receipt.h"
#include "core/settings/Parameters.h"
#include "core/store/Database.h"
#include "core/store/Engine.h"
#include "core/store/Errors.h"
#include "core/store/ServerAddress.h"
#include "core/store/Shop.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSysInfo>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QLabel* Text(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QCheckBox* Check(QWidget* parent, const char* name, const QString& caption,
                 const QString& toolTip = {})
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(toolTip);
    return box;
}

// A row of texts and controls, left-aligned.
QHBoxLayout* Row(const QList<QWidget*>& items)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    for (QWidget* item : items)
        row->addWidget(item);
    row->addStretch();
    return row;
}

void Write(Setting setting, const QString& text)
{
    if (!SetSetting(setting, text))
        throw MovrntError(QStringLiteral("无法保存设置 ") + SettingName(setting),
                          QStringLiteral("FormGNCS"));
}

QString Flag(const QCheckBox* box)
{
    return box->isChecked() ? QStringLiteral("True") : QStringLiteral("False");
}
} // namespace

QWidget* FormGNCS::stepper(Setting setting, const char* labelName, const char* arrowsName)
{
    auto* box = new QWidget(this);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* label = Text(box, labelName, StepperText(StepperOf(setting), SettingDefault(setting)));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("￥100")) + 8);
    label->setAlignment(Qt::AlignCenter);
    auto* arrows = new QWidget(box);
    arrows->setObjectName(QString::fromLatin1(arrowsName));
    auto* arrowLayout = new QVBoxLayout(arrows);
    arrowLayout->setContentsMargins(0, 0, 0, 0);
    arrowLayout->setSpacing(0);
    for (const bool up : {true, false}) {
        auto* arrow = new QToolButton(arrows);
        arrow->setObjectName(QString::fromLatin1(arrowsName) +
                             (up ? QStringLiteral("Up") : QStringLiteral("Down")));
        arrow->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
        arrow->setFixedSize(18, 11);
        arrow->setAutoRepeat(true);
        arrowLayout->addWidget(arrow);
        connect(arrow, &QToolButton::clicked, this, [label, setting, up] {
            label->setText(StepText(StepperOf(setting), label->text(), up));
        });
    }
    layout->addWidget(label);
    layout->addWidget(arrows);
    steps_.insert(setting, label);
    return box;
}

// Steppers of settings a shop saved before they existed: shown at their defaults.
const Setting kAddedLater[] = {Setting::LateFee, Setting::PCVCD, Setting::PCDVD, Setting::YYTS};

FormGNCS::FormGNCS(Shop& shop, QWidget* parent) : QDialog(parent), shop_(shop)
{
    setObjectName(QStringLiteral("FormGNCS"));
    setWindowTitle(QStringLiteral("功能参数设置"));
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("SSTab1"));

    // 系统功能参数
    auto* system = new QWidget(tabs);
    auto* frameSJBF = new QGroupBox(QStringLiteral("数据备份"), system);
    frameSJBF->setObjectName(QStringLiteral("FrameSJBF"));
    checkZDBF_ = Check(frameSJBF, "CheckZDBF", QStringLiteral("自动备份数据"),
                       QStringLiteral("将数据库自动备份到指定路径，以免因意外而丢失数据。"));
    labelLJ_ = Text(frameSJBF, "LabelLJ", DefaultAutoBackupPath());
    labelLJ_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    labelLJ_->setMinimumWidth(240);
    NameForScreenReaders(labelLJ_, QStringLiteral("备份路径"));
    commandLJ_ = MakeButton(frameSJBF, "CommandLJ", QStringLiteral("选择路径(&C) ..."),
                            QStringLiteral("选择备份路径，系统将自动将数据库备份到这个路径下。"));
    QWidget* interval = stepper(Setting::AutoBackupTime, "LabelJG", "UpDownJG");
    auto* label4 =
        Text(frameSJBF, "Label4",
             QStringLiteral("用户提示：由于自动备份会周期性的频繁备份数据，所以请选择快速"
                            "的存储设备（比如硬盘）作为备份路径。为了使系统正常运行，请不"
                            "要选择软盘一类的低速存储设备作为备份路径！"));
    label4->setWordWrap(true);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(Text(frameSJBF, "Label1", QStringLiteral("备份路径：")));
    pathRow->addWidget(labelLJ_, 1);
    pathRow->addWidget(commandLJ_);
    auto* backup = new QVBoxLayout(frameSJBF);
    backup->addWidget(checkZDBF_);
    backup->addLayout(pathRow);
    backup->addLayout(Row({Text(frameSJBF, "Label2", QStringLiteral("备份频率：每隔")), interval,
                           Text(frameSJBF, "Label3", QStringLiteral("秒自动备份一次。"))}));
    backup->addWidget(label4);
    checkSZFBL_ = Check(system, "CheckSZFBL",
                        QStringLiteral("在每次运行本程序时都提示用户调整到最佳的显示分辨率"));
    auto* frameYJJE = new QGroupBox(QStringLiteral("押金金额"), system);
    frameYJJE->setObjectName(QStringLiteral("FrameYJJE"));
    checkYJJE_ = Check(frameYJJE, "CheckYJJE", QStringLiteral("设置缺审押金金额"),
                       QStringLiteral("设置缺审押金金额可以免去你每次添加租借信息时，都要重新输入押"
                                      "金金额的麻烦。"));
    QWidget* vcd = stepper(Setting::YJJEVCD, "LabelVCD", "UpDownVCD");
    QWidget* dvd = stepper(Setting::YJJEDVD, "LabelDVD", "UpDownDVD");
    auto* deposits = new QVBoxLayout(frameYJJE);
    deposits->addWidget(checkYJJE_);
    deposits->addLayout(Row({Text(frameYJJE, "Label6", QStringLiteral("每张VCD收取")), vcd,
                             Text(frameYJJE, "Label7", QStringLiteral("元的押金；每张DVD收取")),
                             dvd, Text(frameYJJE, "Label8", QStringLiteral("元的押金。"))}));
    // Charged whether or not the deposits are preset.
    QWidget* replaceVcd = stepper(Setting::PCVCD, "LabelPCVCD", "UpDownPCVCD");
    QWidget* replaceDvd = stepper(Setting::PCDVD, "LabelPCDVD", "UpDownPCDVD");
    deposits->addLayout(
        Row({Text(frameYJJE, "Label18", QStringLiteral("丢失或损坏时，每张VCD赔偿")), replaceVcd,
             Text(frameYJJE, "Label19", QStringLiteral("元；每张DVD赔偿")), replaceDvd,
             Text(frameYJJE, "Label20", QStringLiteral("元。"))}));
    checkLBFS_ = Check(system, "CheckLBFS", QStringLiteral("启用来宾登陆方式"),
                       QStringLiteral("允许非管理员的用户进入系统查询数据。"));
    auto* image1 = Text(system, "Image1", QString());
    image1->setPixmap(QPixmap(QStringLiteral(":/images/toolbar7.png")));
    auto* systemLayout = new QVBoxLayout(system);
    systemLayout->addWidget(frameSJBF);
    systemLayout->addWidget(checkSZFBL_);
    systemLayout->addWidget(frameYJJE);
    auto* lastRow = new QHBoxLayout;
    lastRow->addWidget(checkLBFS_, 1);
    lastRow->addWidget(image1);
    systemLayout->addLayout(lastRow);
    tabs->addTab(system, QStringLiteral("系统功能参数"));

    // 会员功能参数
    auto* members = new QWidget(tabs);
    auto* frame2 = new QGroupBox(QStringLiteral("自动提醒"), members);
    frame2->setObjectName(QStringLiteral("Frame2"));
    checkZDTX_ = Check(frame2, "CheckZDTX",
                       QStringLiteral("当会员租借影碟的时间超过一定期限时，自动提醒管理员"));
    QWidget* days = stepper(Setting::Alertdays, "LabelZDTX", "UpDownZDTX");
    auto* alert = new QVBoxLayout(frame2);
    alert->addWidget(checkZDTX_);
    alert->addLayout(Row({Text(frame2, "Label12", QStringLiteral("当会员租借影碟时间超过")), days,
                          Text(frame2, "Label13", QStringLiteral("天还未还时，提醒管理员。"))}));
    // Charged at the return whether or not the reminder is on; 0 charges none.
    QWidget* lateFee = stepper(Setting::LateFee, "LabelCQFJ", "UpDownCQFJ");
    alert->addLayout(
        Row({Text(frame2, "Label16", QStringLiteral("超过提醒天数后，每张影碟每天收取超期罚金")),
             lateFee, Text(frame2, "Label17", QStringLiteral("元（为0时不收取）。"))}));
    QWidget* holdDays = stepper(Setting::YYTS, "LabelYYTS", "UpDownYYTS");
    alert->addLayout(Row({Text(frame2, "Label21", QStringLiteral("预约的影碟归还后，为会员保留")),
                          holdDays, Text(frame2, "Label22", QStringLiteral("天。"))}));
    auto* frame1 = new QGroupBox(QStringLiteral("会员制度"), members);
    frame1->setObjectName(QStringLiteral("Frame1"));
    QWidget* levels = stepper(Setting::HYDJ, "LabelFJ", "UpDownFJ");
    QWidget* perLevel = stepper(Setting::FJZJ, "LabelFJZJ", "UpDownFJZJ");
    auto* labelFJZD = Text(frame1, "LabelFJZD",
                           QStringLiteral("第一级会员享受租金九折的优惠；会员等级每上升一级，享受的"
                                          "折扣增加一折。"));
    labelFJZD->setWordWrap(true);
    auto* scheme = new QVBoxLayout(frame1);
    scheme->addLayout(Row({Text(frame1, "Label9", QStringLiteral("共分")), levels,
                           Text(frame1, "Label10", QStringLiteral("级会员。"))}));
    scheme->addLayout(
        Row({Text(frame1, "Label14", QStringLiteral("会员累计影碟租借数量每增加")), perLevel,
             Text(frame1, "Label15", QStringLiteral("盘时，会员等级上升一级。"))}));
    scheme->addWidget(labelFJZD);
    auto* label5 =
        Text(members, "Label5",
             QStringLiteral("用户提示 ：一旦设置了会员制度，就不要经常修改，否则会影响已有"
                            "的会员信息。 "));
    label5->setWordWrap(true);
    auto* image2 = Text(members, "Image2", QString());
    image2->setPixmap(QPixmap(QStringLiteral(":/images/user.png")));
    auto* membersLayout = new QVBoxLayout(members);
    membersLayout->addWidget(frame2);
    membersLayout->addWidget(frame1);
    auto* hintRow = new QHBoxLayout;
    hintRow->addWidget(label5, 1);
    hintRow->addWidget(image2, 0, Qt::AlignTop);
    membersLayout->addLayout(hintRow);
    membersLayout->addStretch();
    tabs->addTab(members, QStringLiteral("会员功能参数"));

    // 凭条打印: slips for customers, for shops with a receipt printer.
    auto* slips = new QWidget(tabs);
    checkPT_ =
        Check(slips, "CheckPT", QStringLiteral("租借、结帐和会员还碟成功后，可以为顾客打印凭条"));
    comboZK_ = new QComboBox(slips);
    comboZK_->setObjectName(QStringLiteral("ComboZK"));
    comboZK_->addItems({QStringLiteral("58毫米"), QStringLiteral("80毫米")});
    textDM_ = MakeLine(slips, "TextDM", QStringLiteral("印在凭条的最上面。"));
    textDM_->setMaxLength(40);
    auto* slipLayout = new QGridLayout(slips);
    slipLayout->addWidget(checkPT_, 0, 0, 1, 3);
    slipLayout->addWidget(MakeCaption(slips, QStringLiteral("凭条纸宽度 : "), comboZK_, "LabelZK"),
                          1, 0, Qt::AlignRight);
    slipLayout->addWidget(comboZK_, 1, 1);
    slipLayout->addWidget(MakeCaption(slips, QStringLiteral("店名 : "), textDM_, "LabelDM"), 2, 0,
                          Qt::AlignRight);
    slipLayout->addWidget(textDM_, 2, 1, 1, 2);
    // Where the error report asks to send it: the shop's own helper.
    textYX_ =
        MakeLine(slips, "TextYX",
                 QStringLiteral("出现系统错误时，提示用户把错误信息发送到这个邮箱；不填则为 %1。")
                     .arg(kSupportAddress));
    textYX_->setMaxLength(100);
    textYX_->setPlaceholderText(kSupportAddress);
    slipLayout->addWidget(MakeCaption(slips, QStringLiteral("技术支持邮箱 : "), textYX_, "LabelYX"),
                          3, 0, Qt::AlignRight);
    slipLayout->addWidget(textYX_, 3, 1, 1, 2);
    slipLayout->setColumnStretch(2, 1);
    slipLayout->setRowStretch(4, 1);
    tabs->addTab(slips, QStringLiteral("凭条打印"));

    // 数据库: this counter's own choice, read at the next start.
    auto* database = new QWidget(tabs);
    optionFile_ = new QRadioButton(QStringLiteral("本机的数据库文件（只有这一个柜台）"), database);
    optionFile_->setObjectName(QStringLiteral("OptionWJ"));
    optionServer_ =
        new QRadioButton(QStringLiteral("数据库服务器（多个柜台共用一个影碟店）"), database);
    optionServer_->setObjectName(QStringLiteral("OptionFWQ"));
    textServer_ =
        MakeLine(database, "TextFWQ", QStringLiteral("postgresql://用户@主机:端口/数据库"));
    textServer_->setPlaceholderText(textServer_->toolTip());
    auto* commandCS =
        MakeButton(database, "CommandCS", QStringLiteral("测试连接(&T)"),
                   QStringLiteral("试着连接数据库服务器，看看其中是否有影碟店的数据。"));
    auto* labelSJK = Text(
        database, "LabelSJK",
        QStringLiteral("用户提示：地址中不要写密码。连接服务器的密码请保存在本机用户主目录下"
                       "名为 .pgpass 的文件中，每个服务器一行，写成“主机:端口:数据库:用户:密码”，"
                       "并只允许本人读写这个文件。更改将在下次启动本程序时生效。"));
    labelSJK->setWordWrap(true);
    auto* databaseLayout = new QGridLayout(database);
    databaseLayout->addWidget(optionFile_, 0, 0, 1, 3);
    databaseLayout->addWidget(optionServer_, 1, 0, 1, 3);
    databaseLayout->addWidget(
        MakeCaption(database, QStringLiteral("服务器地址 : "), textServer_, "LabelFWQ"), 2, 0,
        Qt::AlignRight);
    databaseLayout->addWidget(textServer_, 2, 1);
    databaseLayout->addWidget(commandCS, 2, 2);
    // The name the ledger's lines and the day-end report give this counter.
    textGTMC_ = MakeLine(database, "TextGTMC",
                         QStringLiteral("账务流水和日结单中本柜台的名称；不填则用计算机名。"));
    textGTMC_->setMaxLength(40);
    textGTMC_->setPlaceholderText(QSysInfo::machineHostName());
    databaseLayout->addWidget(
        MakeCaption(database, QStringLiteral("柜台名称 : "), textGTMC_, "LabelGTMC"), 3, 0,
        Qt::AlignRight);
    databaseLayout->addWidget(textGTMC_, 3, 1);
    databaseLayout->addWidget(labelSJK, 4, 0, 1, 3);
    databaseLayout->setColumnStretch(1, 1);
    databaseLayout->setRowStretch(5, 1);
    tabs->addTab(database, QStringLiteral("数据库"));
    connect(optionServer_, &QRadioButton::toggled, this, &FormGNCS::refreshDependents);
    connect(commandCS, &QPushButton::clicked, this, [this] {
        // On a worker, given up on after a few seconds, or at once by 取消.
        BusyStatus busy(QStringLiteral("正在连接数据库服务器 ..."), true);
        const QString url = textServer_->text().trimmed();
        QString problem;
        WorkRows wait;
        wait.countsRows = false;
        RunInBackground(
            this, QStringLiteral("正在连接数据库服务器 ..."),
            [&problem, &url] { problem = ServerShopProblem(url, 5); }, &wait);
        busy.done();
        if (wait.stop)
            return;
        Notice(problem.isEmpty() ? QStringLiteral("连接成功！数据库服务器上有影碟店的数据。")
                                 : problem);
    });
    serverControls_ = {textServer_, commandCS};

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    QPushButton* commandQD = AddConfirmRow(this, layout);

    // Each number caption names its label and arrows for screen readers.
    const QList<std::pair<Setting, QString>> names = {{Setting::AutoBackupTime, "备份频率（秒）"},
                                                      {Setting::YJJEVCD, "每张VCD的押金"},
                                                      {Setting::YJJEDVD, "每张DVD的押金"},
                                                      {Setting::Alertdays, "提醒天数"},
                                                      {Setting::HYDJ, "会员级数"},
                                                      {Setting::FJZJ, "每升一级的租借数量"},
                                                      {Setting::LateFee, "每天的超期罚金"},
                                                      {Setting::PCVCD, "每张VCD的赔偿金额"},
                                                      {Setting::PCDVD, "每张DVD的赔偿金额"},
                                                      {Setting::YYTS, "预约保留天数"}};
    for (const auto& [setting, name] : names) {
        QLabel* label = steps_.value(setting);
        NameForScreenReaders(label, name);
        const auto arrows = label->parentWidget()->findChildren<QToolButton*>();
        for (QToolButton* arrow : arrows)
            arrow->setAccessibleName((arrow->arrowType() == Qt::UpArrow ? QStringLiteral("增加")
                                                                        : QStringLiteral("减少")) +
                                     name);
    }
    dependents_ = {
        {checkZDBF_, {labelLJ_, commandLJ_, interval}},
        {checkYJJE_, {vcd, dvd}},
        {checkZDTX_, {days}},
        {checkPT_, {comboZK_, textDM_}},
    };
    for (QCheckBox* box : dependents_.keys())
        connect(box, &QCheckBox::clicked, this, &FormGNCS::refreshDependents);
    connect(commandLJ_, &QPushButton::clicked, this, &FormGNCS::onCommandLJClicked);
    connect(commandQD, &QPushButton::clicked, this, &FormGNCS::onCommandQDClicked);

    load();
}

void FormGNCS::load()
{
    const bool saved = !GetSetting(Setting::AutoBackup).isEmpty();
    if (saved) {
        checkZDBF_->setChecked(GetSetting(Setting::AutoBackup) == u"True");
        labelLJ_->setText(GetSetting(Setting::AutoBackupPath));
        steps_[Setting::AutoBackupTime]->setText(GetSetting(Setting::AutoBackupTime));
        checkSZFBL_->setChecked(GetSetting(Setting::SetDisplayRes) == u"True");
    }
    // On a server, what the shop saved, whichever counter saved it.
    if (shop_.engine().keepsShopSettings() ? !GetSetting(Setting::PresetYJJE).isEmpty() : saved) {
        checkYJJE_->setChecked(GetSetting(Setting::PresetYJJE) == u"True");
        for (Setting setting : {Setting::YJJEVCD, Setting::YJJEDVD})
            steps_[setting]->setText(StepperText(StepperOf(setting), GetSetting(setting)));
        checkLBFS_->setChecked(GetSetting(Setting::GuestLogon) == u"True");
        steps_[Setting::HYDJ]->setText(GetSetting(Setting::HYDJ));
        steps_[Setting::FJZJ]->setText(GetSetting(Setting::FJZJ));
        checkZDTX_->setChecked(GetSetting(Setting::AutoAlert) == u"True");
        steps_[Setting::Alertdays]->setText(GetSetting(Setting::Alertdays));
        for (Setting setting : kAddedLater) {
            const QString stored = GetSetting(setting);
            steps_[setting]->setText(StepperText(
                StepperOf(setting), stored.isEmpty() ? SettingDefault(setting) : stored));
        }
    }
    const int paper = ReceiptPaperWidth();
    checkPT_->setChecked(paper > 0);
    comboZK_->setCurrentIndex(paper == 58 ? 0 : 1);
    textDM_->setText(GetSetting(Setting::ShopName));
    textYX_->setText(GetSetting(Setting::SupportAddress));
    textServer_->setText(GetSetting(Setting::Database));
    textGTMC_->setText(GetSetting(Setting::CounterName));
    (textServer_->text().isEmpty() ? optionFile_ : optionServer_)->setChecked(true);
    labelLJ_->setToolTip(labelLJ_->text());
    refreshDependents();
    checkLBFS_->setEnabled(PasswordIsSet()); // guest entry means nothing without a password
}

void FormGNCS::refreshDependents()
{
    for (auto it = dependents_.cbegin(); it != dependents_.cend(); ++it)
        for (QWidget* widget : it.value())
            widget->setEnabled(it.key()->isChecked());
    for (QWidget* widget : serverControls_)
        widget->setEnabled(optionServer_->isChecked());
}

void FormGNCS::onCommandLJClicked()
{
    FormXZLJ chooser(this);
    if (ExecModal(chooser) == QDialog::Accepted) {
        labelLJ_->setText(chooser.chosenPath());
        labelLJ_->setToolTip(labelLJ_->text());
    }
}

void FormGNCS::save()
{
    // Whatever was written takes effect at once (the automatic backup is
    // armed again), even when a later value fails.
    const auto announce =
        qScopeGuard([this] { shop_.announceSettings(ShopOperation::SaveSettings); });
    const auto value = [this](Setting setting) {
        return StepperValue(StepperOf(setting), steps_[setting]->text());
    };
    Write(Setting::AutoBackup, Flag(checkZDBF_));
    Write(Setting::AutoBackupPath, labelLJ_->text());
    Write(Setting::AutoBackupTime, value(Setting::AutoBackupTime));
    Write(Setting::PresetYJJE, Flag(checkYJJE_));
    Write(Setting::YJJEVCD, value(Setting::YJJEVCD));
    Write(Setting::YJJEDVD, value(Setting::YJJEDVD));
    Write(Setting::SetDisplayRes, Flag(checkSZFBL_));
    Write(Setting::GuestLogon, Flag(checkLBFS_));
    // The levels follow the scheme shown, which is stored only afterwards.
    RecomputeMemberLevels(shop_, value(Setting::FJZJ).toLongLong(),
                          value(Setting::HYDJ).toLongLong());
    Write(Setting::HYDJ, value(Setting::HYDJ));
    Write(Setting::FJZJ, value(Setting::FJZJ));
    Write(Setting::AutoAlert, Flag(checkZDTX_));
    Write(Setting::Alertdays, value(Setting::Alertdays));
    for (Setting setting : kAddedLater)
        Write(setting, value(setting));
    Write(Setting::ReceiptPaper,
          checkPT_->isChecked()
              ? (comboZK_->currentIndex() == 0 ? QStringLiteral("58") : QStringLiteral("80"))
              : QString());
    Write(Setting::ShopName, textDM_->text().trimmed());
    Write(Setting::SupportAddress, textYX_->text().trimmed());
    Write(Setting::Database,
          optionServer_->isChecked() ? textServer_->text().trimmed() : QString());
    Write(Setting::CounterName, textGTMC_->text().trimmed());
}

void FormGNCS::onCommandQDClicked()
{
    if (optionServer_->isChecked()) {
        try {
            ParseServerUrl(textServer_->text().trimmed());
        } catch (const MovrntError& error) {
            ShowMessage(error.description(), 0, QStringLiteral("用户警告"));
            textServer_->setFocus();
            return;
        }
    }
    try {
        save();
    } catch (const MovrntError& error) {
        ReportError(error);
        return;
    }
    accept();
}
