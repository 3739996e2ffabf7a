#include "client/core/ClientCore.h"

#include "carddata/DeckList.h"
#include "carddata/ReportError.h"
#include "carddata/Rules.h"
#include "client/engine/BattleState.h"
#include "client/engine/SetRequest.h"
#include "common/Cp932.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkInterface>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace lumi {

using namespace wire;

namespace {

const QString ErrorTitle = QStringLiteral("エラー");

QString req(const QStringList& fields) {
    return joinFields(fields);
}

// The integer part of the leading number of a text, as the original's Val
// reads an answer ("3.7" is 3, "abc" is 0).
int valInteger(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+'))
        ++i;
    while (i < t.size() && t[i].isDigit() && t[i].unicode() < 128)
        ++i;
    bool ok = false;
    const long long v = t.left(i).toLongLong(&ok);
    if (!ok)
        return 0;
    return int(std::clamp<long long>(v, -100000, 100000));
}

// The first 15 characters of a page, "" when it cannot be read: the address
// as the outside sees it.
QString ReadURL15(const QString& url) {
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("LuminariaOnline/%1.%2").arg(VersionMajor).arg(VersionMinor));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(10000);
    QNetworkReply* reply = manager.get(request);
    QEventLoop wait;
    QObject::connect(reply, &QNetworkReply::finished, &wait, &QEventLoop::quit);
    if (!reply->isFinished())
        wait.exec();
    QString text;
    if (reply->error() == QNetworkReply::NoError)
        text = cp932::decode(reply->read(23553)).remove(QChar(0)).left(15);
    reply->deleteLater();
    return text;
}

QString announceAddress() {
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
            return a.toString();
    return QStringLiteral("127.0.0.1");
}

} // namespace

ClientCore::ClientCore(Ports ports, InstallPaths paths, ClientSettings settings,
                       const CardDatabase& cards, const StatusDatabase& statuses, QObject* parent)
    : QObject(parent), ports_(ports), paths_(std::move(paths)), settings_(std::move(settings)),
      cards_(cards), statuses_(statuses) {
    BattleOperation::ResetBattleData(data_);
    engine_ = std::make_unique<BattleEngine>(
        data_, state_,
        BattleEngine::Ports{ports_.user, ports_.log, *this, ports_.dialogs, cards_, statuses_,
                            settings_, paths_, ports_.random, ports_.clock});
    const ErrorReporter report = [this](int n, const QString& d, const QString& place) {
        reportError(n, d, place);
    };
    server_ = std::make_unique<WireServer>(ports_.log, report);
    client_ = std::make_unique<WireClient>(ports_.log, report);
    sstp_ = std::make_unique<SstpNotifier>(ports_.log);
    server_->setDispatcher([this](int slot, const QStringList& f) { ServerDispatch(slot, f); });
    client_->setDispatcher([this](const QStringList& f) { ClientDispatch(f); });
    connect(server_.get(), &WireServer::peerClosed, this, &ClientCore::OnPeerClosed);
    connect(server_.get(), &WireServer::slotError, this, &ClientCore::OnSlotError);
    connect(client_.get(), &WireClient::connected, this, [this] {
        ports_.log.DebugPut(QStringLiteral("Connected sequence completed."));
        client_->ClientSend(
            req({kw::Connect, number(ProgramVersion), number(ProtocolNumber), state_.MyName}));
        ports_.log.ChatPut(QStringLiteral("接続を確立しました。"));
    });
    connect(client_.get(), &WireClient::peerClosed, this, [this] {
        MenuReset();
        ports_.log.ChatPut(QStringLiteral("切断されました。"));
        client_->close();
    });
    connect(client_.get(), &WireClient::socketError, this, &ClientCore::OnClientError);
}

ClientCore::~ClientCore() = default;

// ------------------------------------------------------------------ helpers

void ClientCore::reportError(int number, const QString& description, const QString& place) {
    ReportError(ports_.user, number, description, place);
}

void ClientCore::redraw() {
    Q_EMIT redrawRequested();
}

void ClientCore::send(const RequestBatch& batch) {
    QStringList requests;
    for (const Request& r : batch)
        requests << joinFields(r);
    const QString text = joinBatch(requests);
    if (state_.ServerMode)
        server_->ServerSend(text);
    else
        client_->ClientSend(text);
}

void ClientCore::sendToOpponent(const RequestBatch& batch) {
    QStringList requests;
    for (const Request& r : batch)
        requests << joinFields(r);
    server_->PinpointSend(joinBatch(requests), opponentSlot_);
}

void ClientCore::raiseEvent(const QString& name, const QString& reference) {
    NotifyEvent(name, reference);
}

void ClientCore::AnnounceAll(const QString& text) {
    server_->ServerSend(req({kw::Chat, text}));
    ports_.log.ChatPut(text);
}

bool ClientCore::IsConnection() const {
    return listening_ ? server_->isListening() : client_->IsConnection();
}

QString ClientCore::ClientName(int slot) const {
    if (slot < 0 || slot >= int(ClientNames.size()))
        return {};
    return ClientNames[size_t(slot)];
}

// ------------------------------------------------------------------ connecting

void ClientCore::ReportBadPort(const QString& portText, const QString& place) {
    bool numeric = false;
    portText.trimmed().toLongLong(&numeric);
    if (numeric)
        reportError(6, QStringLiteral("オーバーフローしました。"), place);
    else
        reportError(13, QStringLiteral("型が一致しません。"), place);
}

bool ClientCore::RequireFilled(const QString& value, const QString& message) {
    if (!value.isEmpty())
        return true;
    ports_.user.messageBox({message, ClientTitle});
    return false;
}

bool ClientCore::StartServer(const QString& portText, const QString& name) {
    if (!RequireFilled(portText.trimmed(), QStringLiteral("ポートが入力されていません。")) ||
        !RequireFilled(name, QStringLiteral("名前が入力されていません。")))
        return false;
    const std::optional<quint16> port = parsePort(portText);
    if (!port) {
        ReportBadPort(portText, QStringLiteral("frmMain.mnuConnectServer_Click"));
        return false;
    }
    return Listen(*port, name);
}

bool ClientCore::Listen(quint16 port, const QString& name) {
    state_.MyName = name;
    client_->close();
    // The lookup blocks, as the original's did; asking before the port opens
    // keeps connections from being served while it runs.
    QString address;
    if (settings_.GetIPfromWeb) {
        address = ReadURL15(settings_.GetIPURL);
        if (address.isEmpty())
            address = QStringLiteral("<収得失敗>");
    } else {
        address = announceAddress();
    }
    QString error;
    if (!server_->listen(port, &error)) {
        reportError(10048, error, QStringLiteral("frmMain.mnuConnectServer_Click"));
        return false;
    }
    listening_ = true;
    ports_.user.statusText(3, QStringLiteral("サーバーです"));
    ports_.log.ChatPut(QStringLiteral("サーバーを起動しました。"));
    ports_.log.ChatPut(QStringLiteral("あなたのIPアドレスは[") + address +
                       QStringLiteral("]です。"));
    ports_.log.DebugPut(QStringLiteral("Server Listen Started... in Port:") +
                        QString::number(server_->port()));
    state_.ServerMode = true;
    ResendMemberList();
    menus_ = MenuState{};
    menus_.Server = menus_.Client = false;
    menus_.Disconnect = true;
    menus_.BattleMenu = menus_.BattleEnd = menus_.HandView = true;
    Q_EMIT menusChanged();
    return true;
}

bool ClientCore::StartClient(const QString& host, const QString& portText, const QString& name) {
    if (!RequireFilled(host.trimmed(), QStringLiteral("接続先が入力されていません。")) ||
        !RequireFilled(portText.trimmed(), QStringLiteral("ポートが入力されていません。")) ||
        !RequireFilled(name, QStringLiteral("名前が入力されていません。")))
        return false;
    const std::optional<quint16> port = parsePort(portText);
    if (!port) {
        ReportBadPort(portText, QStringLiteral("frmMain.mnuConnectClient_Click"));
        return false;
    }
    state_.MyName = name;
    server_->closeAll();
    listening_ = false;
    client_->connectTo(host.trimmed(), *port);
    ports_.log.DebugPut(QStringLiteral("Connection Started... ") + host.trimmed() +
                        QStringLiteral(":") + QString::number(*port));
    menus_ = MenuState{};
    menus_.Server = menus_.Client = false;
    menus_.Disconnect = true;
    menus_.BattleEnd = false;
    state_.ServerMode = false;
    Q_EMIT menusChanged();
    return true;
}

void ClientCore::ChatEnter(const QString& text) {
    if (text.isEmpty())
        return;
    if (text == QLatin1String("/sstpEnable") && !IsConnection() && settings_.SSTPLevel == 0) {
        settings_.SSTPLevel = 1;
        if (saveSettings)
            saveSettings(settings_);
        ports_.log.ChatPut(QStringLiteral("隠し機能「SSTP」を有効にしました。"));
        ports_.log.ChatPut(QStringLiteral("設定画面から使用設定ができます。"));
    }
    SendChat(text, false);
}

void ClientCore::SendChat(const QString& text, bool raw) {
    if (!IsConnection())
        return;
    const QString line = raw ? text : state_.MyName + QStringLiteral(" > ") + text;
    if (state_.ServerMode) {
        server_->ServerSend(req({kw::Chat, line}));
        ports_.log.ChatPut(line);
    } else {
        client_->ClientSend(req({kw::Chat, line}));
    }
}

bool ClientCore::CloseMessage() {
    const MessageBoxRequest first{QStringLiteral("切断します。よろしいですか？"), ClientTitle,
                                  BoxButtons::YesNo, BoxIcon::Question, 1};
    if (ports_.user.messageBox(first) != BoxResult::Yes)
        return false;
    if (state_.ServerMode) {
        const MessageBoxRequest second{
            QStringLiteral(
                "あなたはサーバーです。切断すると接続者全員が切断されます。よろしいですか？"),
            ClientTitle, BoxButtons::YesNo, BoxIcon::Warning, 1};
        if (ports_.user.messageBox(second) != BoxResult::Yes)
            return false;
    }
    Disconnect();
    return true;
}

void ClientCore::Disconnect() {
    if (state_.ServerMode) {
        server_->closeAll();
        listening_ = false;
        ports_.log.ChatPut(QStringLiteral("サーバーを終了しました。"));
    } else {
        client_->close();
        ports_.log.ChatPut(QStringLiteral("切断しました。"));
    }
    MenuReset();
}

void ClientCore::ShutDown() {
    server_->closeAll();
    listening_ = false;
    client_->close();
}

void ClientCore::MenuReset() {
    ports_.user.statusText(3, QStringLiteral("接続先：(なし)"));
    state_.BattleRunning = false;
    negotiating_ = false;
    menus_ = MenuState{};
    Q_EMIT menusChanged();
}

// ------------------------------------------------------------------ server

void ClientCore::ResendMemberList() {
    members_ = QStringList{state_.MyName};
    QStringList fields{kw::Member, state_.MyName};
    for (int i = 0; i < int(ClientNames.size()); ++i)
        if (server_->isSlotOpen(i) && !ClientNames[size_t(i)].isEmpty()) {
            members_ << ClientNames[size_t(i)];
            fields << ClientNames[size_t(i)];
        }
    Q_EMIT membersChanged();
    server_->ServerSend(req(fields));
}

int ClientCore::Name2ClientIndex(const QString& name) const {
    for (int i = 0; i < int(ClientNames.size()); ++i)
        if (ClientNames[size_t(i)] == name)
            return i;
    return -1;
}

bool ClientCore::IsMemberName(const QString& name) const {
    return members_.contains(name);
}

void ClientCore::OnConnect(int slot, const QStringList& f) {
    const int n = int(f.size());
    const std::optional<int> version = toNumber(fieldAt(f, 1));
    const bool accepted = (version && *version == ProgramVersion) ||
                          (n >= 4 && fieldAt(f, 2) == number(ProtocolNumber));
    if (!accepted) {
        server_->closeSlot(slot);
        if (n == 3 || n == 4)
            ports_.log.ChatPut(
                fieldAt(f, n - 1) +
                QStringLiteral(
                    " さんからの接続要求がありましたが、バージョンが異なるため拒否しました。"));
        return;
    }
    const QString name = n >= 4 ? fieldAt(f, 3) : fieldAt(f, 2);
    if (IsMemberName(name)) {
        server_->PinpointSend(
            req({kw::Chat, QStringLiteral("サーバー上でその名前はすでに使われています。")}), slot);
        server_->closeSlot(slot);
        ports_.log.ChatPut(
            name + QStringLiteral(
                       " さんからの接続要求がありましたが、同じ名前の人が居るため拒否しました。"));
        return;
    }
    if (slot >= int(ClientNames.size()))
        ClientNames.resize(size_t(slot) + 1);
    ClientNames[size_t(slot)] = name;
    ResendMemberList();
    AnnounceAll(name + QStringLiteral(" さんが接続されました。(Ver.") +
                QString::number(version.value_or(0) / 100.0, 'f', 2) + QStringLiteral(")"));
    NotifyEvent(QStringLiteral("OnJoin"), name);
    server_->PinpointSend(joinBatch({kw::Connected, kw::EndBattle}), slot);
    if (state_.BattleRunning) {
        server_->PinpointSend(
            joinBatch({req({kw::Chat, QStringLiteral("現在、") + state_.MyName +
                                          QStringLiteral(" さんと ") + ClientName(opponentSlot_) +
                                          QStringLiteral(" さんのバトルが進行中です。")}),
                       kw::ViewBattle, req({kw::TurnNum, number(data_.TurnNumber)}),
                       req({kw::VwHand,
                            state_.HandViewAllowed ? QStringLiteral("1") : QStringLiteral("0")})}),
            slot);
        SendDeckNames();
        for (int area = 0; area <= 9; ++area)
            ResendField(area);
    }
}

void ClientCore::SendDeckNames() {
    server_->ServerSend(joinBatch(
        {req(NamedValue2setString(0, DeckNameKey, data_.Own.DeckDefaultData.DeckName)),
         req(NamedValue2setString(5, DeckNameKey, data_.Enemy.DeckDefaultData.DeckName))}));
}

void ClientCore::ServerDispatch(int slot, const QStringList& f) {
    const QString& k = f[0];
    if (k == kw::Connect) {
        OnConnect(slot, f);
    } else if (k == kw::Chat) {
        ports_.log.ChatPut(fieldAt(f, 1));
        server_->ServerSend(req(f));
    } else if (k == kw::Battle) {
        server_->PinpointSend(kw::NoBattle, slot);
    } else if (k == kw::NoBattle) {
        if (slot == opponentSlot_) {
            ports_.log.ChatPut(ClientName(slot) +
                               QStringLiteral("さんへの対戦要求は却下されました。"));
            state_.BattleRunning = false;
            negotiating_ = false;
        } else {
            server_->PinpointSend(kw::EndBattle, slot);
        }
    } else if (k == kw::OkBattle) {
        if (slot == opponentSlot_) {
            if (negotiating_ && !okReceived_)
                ServerOkBattle(f);
            else
                ports_.log.DebugPut(QStringLiteral("okbattle ignored: no offer pending"));
        } else {
            server_->PinpointSend(kw::EndBattle, slot);
        }
    } else if (k == kw::Deck) {
        if (slot == opponentSlot_) {
            if (negotiating_ && battleKind_ == 0)
                ServerDeck(f);
            else
                ports_.log.DebugPut(QStringLiteral("deck ignored: no new battle pending"));
        } else {
            server_->PinpointSend(kw::EndBattle, slot);
        }
    } else if (k == kw::Set) {
        SetField(f);
        if (const std::optional<QString> mirrored = RemakeSetRequest(req(f)))
            server_->ExceptionSend(*mirrored, slot);
        else
            reportError(9, QStringLiteral("インデックスが有効範囲にありません。"),
                        QStringLiteral("frmMain.RemakeSetRequest"));
    } else if (k == kw::TurnNum) {
        engine_->OnTurnnum(fieldAt(f, 1));
        server_->ExceptionSend(req(f), slot);
    } else if (k == kw::EndTurn) {
        engine_->OnEndturn(fieldAt(f, 1));
    } else if (k == kw::TurnStandby) {
        engine_->OnTurnstandby();
    } else if (k == kw::Event) {
        NotifyEvent(fieldAt(f, 1), f.size() > 2 ? f[2] : QString());
    } else {
        ports_.user.messageBox({QStringLiteral("不明なデータが送信されてきました。"), ClientTitle,
                                BoxButtons::OK, BoxIcon::Warning});
        ports_.log.DebugPut(QStringLiteral("不明リクエスト:") + req(f));
    }
}

void ClientCore::MemberLeave(int slot) {
    const QString name = ClientName(slot);
    AnnounceAll(name + QStringLiteral("さんが切断されました。"));
    NotifyEvent(QStringLiteral("OnLeave"), name);
    if (slot >= 0 && slot < int(ClientNames.size()))
        ClientNames[size_t(slot)].clear();
    if (slot == opponentSlot_ && state_.BattleRunning) {
        ports_.log.ChatPut(QStringLiteral("バトル終了"));
        server_->ServerSend(kw::EndBattle);
        NotifyEvent(QStringLiteral("OnBattleEnd"), QString());
        const MessageBoxRequest ask{
            QStringLiteral("対戦中に切断されました。現在の状況を保存しますか？"), ClientTitle,
            BoxButtons::YesNo, BoxIcon::Question, 0};
        if (ports_.user.messageBox(ask) == BoxResult::Yes)
            engine_->ManualSave();
        state_.BattleRunning = false;
        negotiating_ = false;
        Q_EMIT menusChanged();
    }
    ResendMemberList();
    server_->closeSlot(slot);
}

void ClientCore::OnPeerClosed(int slot) {
    if (!ClientName(slot).isEmpty())
        MemberLeave(slot);
    else
        server_->closeSlot(slot);
}

void ClientCore::Kick(const QString& name) {
    if (!state_.ServerMode || name.isEmpty() || (!members_.isEmpty() && name == members_.first()))
        return;
    const int slot = Name2ClientIndex(name);
    if (slot < 0)
        return;
    const MessageBoxRequest ask{name + QStringLiteral(" さんを追い出します。よろしいですか？"),
                                ClientTitle, BoxButtons::YesNo, BoxIcon::Question, 1};
    if (ports_.user.messageBox(ask) != BoxResult::Yes)
        return;
    AnnounceAll(name + QStringLiteral(" さんを追い出しました。"));
    MemberLeave(slot);
}

bool ClientCore::CommunicationErrorBox(int code, const QString& description) {
    const QString number = QStringLiteral("・エラー番号：") + QString::number(code);
    const QString content = QStringLiteral("・エラー内容：") + description;
    const MessageBoxRequest box{
        QStringLiteral("通信エラーが発生しました。") + CrLf + number + CrLf + content + CrLf +
            QStringLiteral("このエラーが同じ所で何度も起こる場合は作者に連絡してください。") +
            QStringLiteral("エラーの内容をクリップボードにコピーしますか？"),
        ErrorTitle, BoxButtons::YesNo, BoxIcon::Warning, 1};
    if (ports_.user.messageBox(box) == BoxResult::Yes) {
        ports_.user.setClipboardText(number + CrLf + content);
        return true;
    }
    return false;
}

void ClientCore::OnSlotError(int slot, int code, const QString& description) {
    CommunicationErrorBox(code, description);
    if (code == 10053 || code == 10054 || code == 10060 || code == 10061 || code == 10035) {
        // A registered member whose connection broke has left: keep the
        // member list true to the open connections.
        if (!ClientName(slot).isEmpty())
            MemberLeave(slot);
        else
            server_->closeSlot(slot);
    }
}

void ClientCore::OnClientError(int code, const QString& description) {
    if (code == 10061) {
        ports_.user.messageBox(
            {QStringLiteral("接続できませんでした。") + CrLf +
                 QStringLiteral(
                     "接続先がサーバーを起動していないか、ネットワークに接続されていません。"),
             ErrorTitle, BoxButtons::YesNo, BoxIcon::Warning, 1});
        client_->close();
        return;
    }
    CommunicationErrorBox(code, description);
    if (code == 10053 || code == 10054 || code == 10060 || code == 10035)
        client_->close();
}

// ------------------------------------------------------------------ client

void ClientCore::ClientDispatch(const QStringList& f) {
    const QString& k = f[0];
    if (k == kw::Connected) {
        ports_.user.statusText(3, QStringLiteral("接続先：") + client_->peerAddress());
        ports_.log.ChatPut(QStringLiteral("サーバーの受け入れが完了しました。"));
        menus_.BattleMenu = true;
        menus_.BattlePrepare = false;
        Q_EMIT menusChanged();
    } else if (k == kw::Chat) {
        ports_.log.ChatPut(fieldAt(f, 1));
    } else if (k == kw::Member) {
        members_ = f.mid(1);
        Q_EMIT membersChanged();
    } else if (k == kw::Battle) {
        ClientBattleOffer(f);
    } else if (k == kw::Set) {
        SetField(f);
    } else if (k == kw::TurnNum) {
        engine_->OnTurnnum(fieldAt(f, 1));
        redraw();
    } else if (k == kw::StartBattle) {
        state_.ViewMode = false;
        state_.HandViewAllowed = false;
        Q_EMIT viewerUpdate(0);
    } else if (k == kw::ViewBattle) {
        state_.BattleRunning = true;
        state_.ViewMode = true;
        ports_.log.ChatPut(QStringLiteral("観覧モードです。"));
        state_.HandViewAllowed = false;
        Q_EMIT viewerUpdate(0);
        Q_EMIT menusChanged();
    } else if (k == kw::EndTurn) {
        engine_->OnEndturn(fieldAt(f, 1));
    } else if (k == kw::EndBattle) {
        if (state_.BattleRunning) {
            ports_.log.ChatPut(QStringLiteral("バトル終了"));
            state_.BattleRunning = false;
            Q_EMIT menusChanged();
        }
    } else if (k == kw::VwHand) {
        state_.HandViewAllowed = fieldAt(f, 1) == QLatin1String("1");
        Q_EMIT viewerUpdate(0);
    } else if (k == kw::Event) {
        const QString name = fieldAt(f, 1);
        SendSSTPNotify(name, f.size() > 2 ? f[2] : QString());
        PlayEventSound(name);
    } else {
        ports_.user.messageBox({QStringLiteral("不明なデータが送信されてきました。"), ClientTitle,
                                BoxButtons::OK, BoxIcon::Warning});
        ports_.log.DebugPut(QStringLiteral("不明リクエスト:") + req(f));
    }
}

// ------------------------------------------------------------------ debug commands

void ClientCore::AnyRequest(const QString& target, const QString& text) {
    if (target.isEmpty() || text.isEmpty())
        return;
    const int t = valInteger(target);
    QString request = text;
    request.replace(QStringLiteral("<>"), QString(QChar(FieldSeparator)));
    if (t == -1) {
        if (state_.ServerMode)
            server_->ServerSend(request);
        else
            client_->ClientSend(request);
    } else if (t == -2) {
        client_->ClientSend(request);
    } else if (t >= 0) {
        if (state_.ServerMode)
            server_->PinpointSend(request, t);
    } else {
        ports_.user.beep();
    }
}

void ClientCore::ResendFieldCommand(const QString& answer) {
    if (answer.isEmpty() || !state_.ServerMode)
        return;
    const int area = valInteger(answer);
    if (area == -1) {
        for (int a = 0; a <= 9; ++a)
            ResendField(a);
    } else if (area >= 0 && area <= 9) {
        ResendField(area);
    } else {
        ports_.user.beep();
    }
}

// ------------------------------------------------------------------ synchronisation

void ClientCore::ResendField(int area) {
    if (area < 0 || area > 9)
        return;
    send(RequestBatch{ResendFieldRequest(data_, area)});
}

void ClientCore::SetField(const QStringList& f) {
    const std::optional<int> areaNumber = toNumber(fieldAt(f, 1));
    if (!areaNumber) {
        reportError(13, QStringLiteral("型が一致しません。"), QStringLiteral("frmMain.SetField"));
        return;
    }
    const int area = *areaNumber;
    SetParseResult result;
    if (area == 0) {
        result = setString2MasterType(f, data_.Enemy);
        Q_EMIT viewerUpdate(1);
    } else if (area >= 1 && area <= 4) {
        result = setString2MonsterType(f, data_.Enemy.Monster(area));
        Q_EMIT viewerUpdate(1);
    } else if (area == 5) {
        result = setString2MasterType(f, data_.Own);
        Q_EMIT viewerUpdate(2);
    } else if (area >= 6 && area <= 9) {
        result = setString2MonsterType(f, data_.Own.Monster(area - 5));
        Q_EMIT viewerUpdate(2);
    } else if (area == 10) {
        const QString& side = fieldAt(f, 2);
        const QString& key = fieldAt(f, 3);
        const QString& value = fieldAt(f, 4);
        if (key.compare(DeckNameKey, Qt::CaseInsensitive) == 0) {
            if (side == QLatin1String("0"))
                data_.Enemy.DeckDefaultData.DeckName = value;
            else if (side == QLatin1String("5"))
                data_.Own.DeckDefaultData.DeckName = value;
        }
    }
    if (!result)
        reportError(result.errorNumber, QStringLiteral("インデックスが有効範囲にありません。"),
                    result.place);
    redraw();
}

// ------------------------------------------------------------------ events

void ClientCore::NotifyEvent(const QString& name, const QString& reference) {
    const QString request = req({kw::Event, name, reference});
    if (state_.ServerMode) {
        server_->ServerSend(request);
        PlayEventSound(name);
        SendSSTPNotify(name, reference);
    } else {
        client_->ClientSend(request);
    }
}

void ClientCore::PlayEventSound(const QString& name) {
    QString path;
    if (name == QLatin1String("OnJoin"))
        path = settings_.OnJoin;
    else if (name == QLatin1String("OnLeave"))
        path = settings_.OnLeave;
    else if (name == QLatin1String("OnBattleStart"))
        path = settings_.OnBattleStart;
    else if (name == QLatin1String("OnBattleEnd"))
        path = settings_.OnBattleEnd;
    else if (name == QLatin1String("OnTurnStart"))
        path = settings_.OnTurnStart;
    if (path.isEmpty() || !ports_.sound || !QFileInfo(path).isFile())
        return;
    ports_.sound->play(path);
}

void ClientCore::SendSSTPNotify(const QString& name, const QString& reference) {
    if (settings_.SSTPLevel != 2)
        return;
    SstpBattleView view;
    view.MyName = state_.MyName;
    view.ServerMode = state_.ServerMode;
    view.OwnName = data_.Own.PlayerName;
    view.EnemyName = data_.Enemy.PlayerName;
    view.OwnHP = data_.Own.MasterHP;
    view.EnemyHP = data_.Enemy.MasterHP;
    const QString message = BuildSSTPMessage(name, reference, view);
    if (message.isEmpty())
        return;
    const std::optional<quint16> port = parsePort(QString::number(settings_.SSTPPort));
    sstp_->send(message, port.value_or(wire::DefaultSSTPPort));
}

// ------------------------------------------------------------------ negotiation

void ClientCore::OfferBattle() {
    if (!state_.ServerMode)
        return;
    if (members_.size() < 2) {
        ports_.user.messageBox(
            {QStringLiteral("相手が居ません。"), ClientTitle, BoxButtons::OK, BoxIcon::Warning});
        return;
    }
    if (state_.BattleRunning) {
        const MessageBoxRequest ask{QStringLiteral("現在、バトルが行われています。このバトルを終了"
                                                   "させないと新しくバトルを開始できません。"
                                                   "現在のバトルを終了させてよろしいですか？"),
                                    ClientTitle, BoxButtons::YesNo, BoxIcon::Warning, 1};
        if (ports_.user.messageBox(ask) != BoxResult::Yes)
            return;
    }
    frmBattleSetting dialog(paths_.RulesPath, cards_, ports_.user);
    dialog.Form_Load(members_);
    dialog.Visible = true;
    ports_.dialogs.showBattleSetting(dialog);
    if (dialog.Canceled)
        return;
    if (state_.BattleRunning) {
        EndBattleLocal();
    }
    BattleOperation::ResetBattleData(data_);
    state_.MyTurn = false;
    redraw();
    data_.Own.DeckDefaultData = dialog.LoadSelectedDeck();
    const int slot = Name2ClientIndex(dialog.cboBattlerList.text());
    if (slot < 0)
        return;
    opponentSlot_ = slot;
    battleKind_ = 0;
    FirstMoveChoice = dialog.JankenChoice();
    data_.RuleText = dialog.GetRule();
    ports_.log.DebugPut(QStringLiteral("**<RuleData>----------"));
    ports_.log.DebugPut(data_.RuleText);
    ports_.log.DebugPut(QStringLiteral("**<End RuleData>------"));
    server_->PinpointSend(req({kw::Battle, state_.MyName, QStringLiteral("0"), data_.RuleText,
                               number(FirstMoveChoice)}),
                          slot);
    state_.BattleRunning = true;
    negotiating_ = true;
    okReceived_ = false;
    Q_EMIT menusChanged();
}

void ClientCore::EndBattleLocal() {
    ports_.log.ChatPut(QStringLiteral("バトル終了"));
    state_.BattleRunning = false;
    negotiating_ = false;
    server_->ServerSend(kw::EndBattle);
    NotifyEvent(QStringLiteral("OnBattleEnd"), QString());
    Q_EMIT menusChanged();
}

void ClientCore::ServerOkBattle(const QStringList& f) {
    okReceived_ = true;
    const int c = toNumber(fieldAt(f, 1)).value_or(-1);
    const int s = FirstMoveChoice;
    const QString opponent = ClientName(opponentSlot_);
    ports_.log.ChatPut(opponent + QStringLiteral("さんへの対戦要求は承認されました。"));
    NotifyEvent(QStringLiteral("OnBattleStart"), QString());
    state_.HandViewAllowed = true;
    HandViewCommand();
    if (s < 3 && battleKind_ != 1)
        AnnounceAll(state_.MyName + QStringLiteral("[") + frmBattleSetting::JankenName(s) +
                    QStringLiteral("]：[") +
                    (c >= 0 && c < 3 ? frmBattleSetting::JankenName(c) : QString()) +
                    QStringLiteral("]") + opponent);
    bool serverFirst = false;
    if (s == 3) {
        serverFirst = true;
    } else if (s == 4) {
        serverFirst = false;
    } else if (s == c) {
        AnnounceAll(QStringLiteral("あいこなので先攻後攻はコンピュータが決定します。"));
        serverFirst = ports_.random.below(2) == 0;
    } else {
        const bool wins = (s == 0 && c == 1) || (s == 1 && c == 2) || (s == 2 && c == 0);
        serverFirst = wins;
    }
    state_.ServerFirst = serverFirst;
    if (serverFirst)
        AnnounceAll(state_.MyName + QStringLiteral("(サーバー)先攻です"));
    else
        AnnounceAll(opponent + QStringLiteral("(クライアント)先攻です"));
    if (battleKind_ == 1)
        StartBattleServer();
}

void ClientCore::ServerDeck(const QStringList& f) {
    DeckList loader(cards_, &ports_.log);
    const ReportTarget target{ports_.user};
    loader.Text2DeckData(fieldAt(f, 1), &target);
    data_.Enemy.DeckDefaultData = loader.LoadingDeck;
    StartBattleServer();
}

void ClientCore::StartBattleServer() {
    negotiating_ = false;
    server_->PinpointSend(kw::StartBattle, opponentSlot_);
    server_->ExceptionSend(kw::ViewBattle, opponentSlot_);
    if (battleKind_ == 0) {
        engine_->StartFunction(ClientName(opponentSlot_));
        SendDeckNames();
        redraw();
    } else {
        for (int area = 0; area <= 9; ++area)
            ResendField(area);
        SendDeckNames();
        server_->ServerSend(req({kw::TurnNum, number(data_.TurnNumber)}));
        if (ServerTurnAtSave) {
            state_.MyTurn = true;
            AnnounceAll(state_.MyName + QStringLiteral("の") + number(data_.TurnNumber) +
                        QStringLiteral("ターン開始"));
        } else {
            server_->PinpointSend(req({kw::EndTurn, QStringLiteral("1")}), opponentSlot_);
        }
        redraw();
    }
    Q_EMIT viewerUpdate(0);
}

void ClientCore::ClientBattleOffer(const QStringList& f) {
    if (state_.BattleRunning)
        return;
    const QString challenger = fieldAt(f, 1);
    const QString fixed = fieldAt(f, 2);
    const QString rule = fieldAt(f, 3);
    const QString choice = fieldAt(f, 4);
    state_.BattleRunning = true;
    const MessageBoxRequest ask{
        challenger + QStringLiteral("さんからバトルの申し込みを受けました。受けますか？"),
        ClientTitle, BoxButtons::YesNo, BoxIcon::Question, 0};
    if (ports_.user.messageBox(ask) != BoxResult::Yes) {
        client_->ClientSend(kw::NoBattle);
        state_.BattleRunning = false;
        return;
    }
    frmBattleSetting dialog(paths_.RulesPath, cards_, ports_.user);
    dialog.Form_Load(members_);
    dialog.Accepting = true;
    dialog.Caption = QStringLiteral("対戦の受け入れ");
    dialog.cmdOKCaption = QStringLiteral("対戦受け入れ");
    dialog.lblMessage = QStringLiteral("この設定でバトルを受けます。");
    dialog.SetRule(rule);
    const bool deckFixed = fixed == QLatin1String("1");
    if (deckFixed)
        dialog.FixDeck();
    if (choice == QLatin1String("3"))
        dialog.FixJanken(4);
    else if (choice == QLatin1String("4"))
        dialog.FixJanken(3);
    else
        dialog.OnlyHands();
    dialog.cboBattlerList.Items = QStringList{members_.value(0) + QStringLiteral(" (サーバー)")};
    dialog.cboBattlerList.ListIndex = 0;
    dialog.cboBattlerList.Enabled = false;
    dialog.Visible = true;
    ports_.dialogs.showBattleSetting(dialog);
    if (dialog.Canceled) {
        client_->ClientSend(kw::NoBattle);
        state_.BattleRunning = false;
        return;
    }
    BattleOperation::ResetBattleData(data_);
    state_.MyTurn = false;
    client_->ClientSend(req({kw::OkBattle, number(dialog.JankenChoice())}));
    if (!deckFixed)
        data_.Own.DeckDefaultData = dialog.LoadSelectedDeck();
    data_.RuleText = rule;
    const quint64 generation = ++offerGeneration_;
    const QString accepted = challenger + QStringLiteral("さんからのバトルを受け入れました。");
    if (deckFixed) {
        ports_.log.ChatPut(accepted);
        return;
    }
    const QString deckText = SaveDeck(data_.Own.DeckDefaultData);
    QTimer::singleShot(1000, this, [this, generation, deckText, accepted] {
        if (generation != offerGeneration_ || !client_->isConnected())
            return;
        client_->ClientSend(req({kw::Deck, deckText}));
        ports_.log.ChatPut(accepted);
    });
}

void ClientCore::HandViewCommand() {
    if (!state_.ServerMode)
        return;
    QString request;
    if (state_.HandViewAllowed) {
        request = req({kw::VwHand, QStringLiteral("0")});
    } else {
        const MessageBoxRequest ask{
            QStringLiteral("観戦中のクライアントに手札の閲覧を許可していいですか？"), ClientTitle,
            BoxButtons::YesNo, BoxIcon::Question, 1};
        if (ports_.user.messageBox(ask) != BoxResult::Yes)
            return;
        request = req({kw::VwHand, QStringLiteral("1")});
    }
    server_->ExceptionSend(request, opponentSlot_);
    state_.HandViewAllowed = !state_.HandViewAllowed;
    menus_.HandViewChecked = state_.HandViewAllowed;
    Q_EMIT menusChanged();
}

void ClientCore::EndBattleCommand() {
    if (!state_.ServerMode)
        return;
    if (state_.BattleRunning) {
        const MessageBoxRequest ask{
            QStringLiteral("現在、バトルが行われていますが、終了してよろしいですか？"), ClientTitle,
            BoxButtons::YesNo, BoxIcon::Question, 1};
        if (ports_.user.messageBox(ask) != BoxResult::Yes)
            return;
    }
    state_.HandViewAllowed = true;
    HandViewCommand();
    EndBattleLocal();
}

void ClientCore::LoadAndResume(const QString& givenPath) {
    if (!state_.ServerMode)
        return;
    if (members_.size() <= 1) {
        ports_.user.messageBox(
            {QStringLiteral("相手が居ません。"), ClientTitle, BoxButtons::OK, BoxIcon::Warning});
        return;
    }
    if (state_.BattleRunning) {
        const MessageBoxRequest ask{QStringLiteral("現在、バトルが行われています。このバトルを終了"
                                                   "させないと新しくバトルを開始できません。"
                                                   "現在のバトルを終了させてよろしいですか？"),
                                    ClientTitle, BoxButtons::YesNo, BoxIcon::Warning, 1};
        if (ports_.user.messageBox(ask) != BoxResult::Yes)
            return;
        EndBattleLocal();
    }
    QString path = givenPath;
    if (path.isEmpty()) {
        const std::optional<QString> chosen =
            ports_.dialogs.chooseOpenFile(QStringLiteral("戦況を読み込んで再開"), StateFileFilter);
        if (!chosen)
            return;
        path = *chosen;
    }
    const std::optional<ResumeChoice> choice = engine_->ReadStateForResume(path);
    if (!choice)
        return;
    const bool serverMovedFirst = choice->Data.Own.IsFirst;
    frmBattleSetting dialog(paths_.RulesPath, cards_, ports_.user);
    dialog.Form_Load(members_);
    dialog.SetRule(choice->Data.RuleText);
    dialog.FixDeck();
    dialog.FixJanken(serverMovedFirst ? 3 : 4);
    dialog.Visible = true;
    ports_.dialogs.showBattleSetting(dialog);
    if (dialog.Canceled)
        return;
    const QString opponent = dialog.cboBattlerList.text();
    engine_->AdoptResumedState(*choice, opponent);
    redraw();
    const int slot = Name2ClientIndex(opponent);
    if (slot < 0)
        return;
    opponentSlot_ = slot;
    battleKind_ = 1;
    data_.RuleText = dialog.GetRule();
    ServerTurnAtSave = choice->ServerTurnAtSave;
    // The saved record tells who moved first; the decision at okbattle and
    // the turn counting both follow it.
    FirstMoveChoice = serverMovedFirst ? 3 : 4;
    state_.ServerFirst = serverMovedFirst;
    state_.MyTurn = false;
    server_->PinpointSend(req({kw::Battle, state_.MyName, QStringLiteral("1"), data_.RuleText,
                               serverMovedFirst ? QStringLiteral("3") : QStringLiteral("4")}),
                          slot);
    state_.BattleRunning = true;
    negotiating_ = true;
    okReceived_ = false;
    Q_EMIT menusChanged();
}

} // namespace lumi
