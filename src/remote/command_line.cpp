#include "remote/command_line.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quel {

namespace verb {
const QString kRing = QStringLiteral("ring");
const QString kNext = QStringLiteral("next");
const QString kSkip = QStringLiteral("skip");
const QString kBroadcast = QStringLiteral("broadcast");
const QString kStop = QStringLiteral("stop");
const QString kSay = QStringLiteral("say");
const QString kEmergency = QStringLiteral("emergency");
const QString kStatus = QStringLiteral("status");
const QString kPublish = QStringLiteral("publish");
const QString kFollow = QStringLiteral("follow");
const QString kSync = QStringLiteral("sync");
}  // namespace verb

namespace {

const QString kRandom = QStringLiteral("--random");
const QString kMale = QStringLiteral("male");
const QString kFemale = QStringLiteral("female");
const QString kStart = QStringLiteral("start");
const QString kEnd = QStringLiteral("stop");

CommandLine invalid(const QString& message) {
    CommandLine c;
    c.kind = CommandLine::Kind::Invalid;
    c.message = message;
    return c;
}

CommandLine request(const QString& name, const QStringList& arguments = {}) {
    CommandLine c;
    c.kind = CommandLine::Kind::Request;
    c.request = {name, arguments};
    return c;
}

QString absolute(const QString& path, const QString& workingFolder) {
    return QDir::cleanPath(QDir(workingFolder).absoluteFilePath(path));
}

// A list is named by its path or by its name in the program's PlayListFile folder; only a path that
// exists from here is made absolute, so a bare name still reaches the running program as a name.
QString listArgument(const QString& list, const QString& workingFolder) {
    const QString here = absolute(list, workingFolder);
    return QFileInfo(here).isFile() || list.contains(QLatin1Char('/')) ? here : list;
}

// A web address goes as it was typed; a folder, as every path, is made absolute here.
QString addressArgument(const QString& address, const QString& workingFolder) {
    return address.contains(QLatin1String("://")) ? address : absolute(address, workingFolder);
}

}  // namespace

QString usageText() {
    return QStringLiteral(
        "用法: quelbrook [命令]\n"
        "不带命令时启动程序。带命令时把命令交给正在运行的程序,打印结果后退出\n"
        "(成功退出码 0,程序拒绝 1,用法错误 2,没有运行的程序 3)。\n"
        "\n"
        "  ring [FILE]                打铃: 播放 FILE,不给时播放内置铃声\n"
        "  next                       播音跳到列表的下一首\n"
        "  skip                       跳过下一次打铃(只跳过一次)\n"
        "  broadcast LIST [--random]  播放播音列表 LIST(路径或 PlayListFile 中的名称),--random 随机顺序\n"
        "  stop                       停止播音、收音机、报时和铃声\n"
        "  say [male|female]          报时,默认男声\n"
        "  emergency start|stop       开始或结束紧急广播\n"
        "  status                     显示今日时间表、下一个条目、正在播放的内容和紧急广播状态\n"
        "  publish FOLDER             多机同步: 本机作为主控,把时间表发布到 FOLDER;最后一行是公钥\n"
        "  follow ADDRESS KEY         多机同步: 本机作为分控,跟随 ADDRESS(http(s):// 地址或文件夹)\n"
        "                             上用公钥 KEY 签名的同步包,并立即同步\n"
        "  sync                       多机同步: 分控立即同步,主控立即发布\n"
        "  --help                     显示本帮助\n");
}

CommandLine parseCommandLine(const QStringList& arguments, const QString& workingFolder) {
    if (arguments.isEmpty())
        return {};
    const QString& first = arguments.first();
    const QStringList rest = arguments.mid(1);
    if (first == QLatin1String("--help") || first == QLatin1String("-h") || first == QLatin1String("help")) {
        CommandLine c;
        c.kind = CommandLine::Kind::Help;
        return c;
    }
    // Options of Qt itself (-platform, -style, ...) still start the program.
    if (first.startsWith(QLatin1Char('-')))
        return {};
    const auto tooMany = [&] { return invalid(QStringLiteral("%1: 参数太多").arg(first)); };

    if (first == verb::kRing) {
        if (rest.size() > 1)
            return tooMany();
        return rest.isEmpty() ? request(verb::kRing)
                              : request(verb::kRing, {absolute(rest.first(), workingFolder)});
    }
    if (first == verb::kNext || first == verb::kSkip || first == verb::kStop || first == verb::kStatus ||
        first == verb::kSync)
        return rest.isEmpty() ? request(first) : tooMany();
    if (first == verb::kPublish) {
        if (rest.isEmpty())
            return invalid(QStringLiteral("publish: 缺少发布文件夹"));
        return rest.size() == 1 ? request(verb::kPublish, {absolute(rest.first(), workingFolder)})
                                : tooMany();
    }
    if (first == verb::kFollow) {
        if (rest.size() < 2)
            return invalid(QStringLiteral("follow: 需要主控的地址和公钥"));
        return rest.size() == 2
                   ? request(verb::kFollow, {addressArgument(rest.at(0), workingFolder), rest.at(1)})
                   : tooMany();
    }
    if (first == verb::kBroadcast) {
        QStringList words = rest;
        const bool random = words.removeAll(kRandom) > 0;
        if (words.isEmpty())
            return invalid(QStringLiteral("broadcast: 缺少播音列表"));
        if (words.size() > 1)
            return tooMany();
        QStringList args{listArgument(words.first(), workingFolder)};
        if (random)
            args << kRandom;
        return request(verb::kBroadcast, args);
    }
    if (first == verb::kSay) {
        if (rest.size() > 1)
            return tooMany();
        const QString voice = rest.isEmpty() ? kMale : rest.first();
        if (voice != kMale && voice != kFemale)
            return invalid(QStringLiteral("say: 声音只能是 male 或 female,不是 %1").arg(voice));
        return request(verb::kSay, {voice});
    }
    if (first == verb::kEmergency) {
        if (rest.size() != 1 || (rest.first() != kStart && rest.first() != kEnd))
            return invalid(QStringLiteral("emergency: 需要 start 或 stop"));
        return request(verb::kEmergency, rest);
    }
    return invalid(QStringLiteral("未知命令 %1;quelbrook --help 列出全部命令").arg(first));
}

QByteArray requestLine(const RemoteRequest& request) {
    QJsonArray words{request.verb};
    for (const QString& a : request.arguments)
        words.append(a);
    return QJsonDocument(words).toJson(QJsonDocument::Compact) + '\n';
}

bool parseRequestLine(const QByteArray& line, RemoteRequest* request) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(line.trimmed(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray() || doc.array().isEmpty())
        return false;
    RemoteRequest r;
    const QJsonArray words = doc.array();
    for (const QJsonValue& word : words) {
        if (!word.isString())
            return false;
        r.arguments << word.toString();
    }
    r.verb = r.arguments.takeFirst();
    *request = r;
    return true;
}

QByteArray answerLine(const ActionResult& result) {
    const QJsonObject answer{{QStringLiteral("ok"), result.ok}, {QStringLiteral("message"), result.message}};
    return QJsonDocument(answer).toJson(QJsonDocument::Compact) + '\n';
}

ActionResult parseAnswerLine(const QByteArray& line) {
    const QJsonDocument doc = QJsonDocument::fromJson(line.trimmed());
    const QJsonValue ok = doc.object().value(QStringLiteral("ok"));
    const QJsonValue message = doc.object().value(QStringLiteral("message"));
    if (!doc.isObject() || !ok.isBool() || !message.isString())
        return {false, QStringLiteral("运行中的程序给出了无法理解的回答")};
    return {ok.toBool(), message.toString()};
}

QString statusText(const RemoteStatus& status) {
    QStringList parts;
    QString table = QStringLiteral("今日时间表 %1").arg(status.todayTable);
    if (!status.todayReason.isEmpty())
        table += QStringLiteral("(%1)").arg(status.todayReason);
    parts << table;
    parts << QStringLiteral("下一个 %1")
                 .arg(status.nextEntries.isEmpty() ? QStringLiteral("无") : status.nextEntries.first());
    parts << QStringLiteral("播放 %1").arg(status.playing.isEmpty() ? QStringLiteral("无") : status.playing);
    parts
        << QStringLiteral("紧急广播 %1").arg(status.emergency ? QStringLiteral("开") : QStringLiteral("关"));
    QString text = parts.join(QStringLiteral("; ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
    // The campus's facts are many and long (a key, a list of followers): each keeps a line of its own.
    for (const QString& line : status.campus)
        text += QLatin1Char('\n') + QString(line).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QByteArray answerRequest(RemoteActions& actions, const QByteArray& line) {
    RemoteRequest r;
    if (!parseRequestLine(line, &r))
        return answerLine({false, QStringLiteral("无法理解的请求")});
    const QStringList& a = r.arguments;
    ActionResult result{false, QStringLiteral("未知命令 %1").arg(r.verb)};
    if (r.verb == verb::kRing && a.size() <= 1)
        result = actions.ringNow(a.value(0));
    else if (r.verb == verb::kNext && a.isEmpty())
        result = actions.next();
    else if (r.verb == verb::kSkip && a.isEmpty())
        result = actions.skipNext();
    else if (r.verb == verb::kBroadcast && (a.size() == 1 || (a.size() == 2 && a.at(1) == kRandom)))
        result = actions.broadcast(a.at(0), a.size() == 2);
    else if (r.verb == verb::kStop && a.isEmpty())
        result = actions.stop();
    else if (r.verb == verb::kSay && a.size() == 1 && (a.at(0) == kMale || a.at(0) == kFemale))
        result = actions.say(a.at(0) == kFemale);
    else if (r.verb == verb::kEmergency && a.size() == 1 && (a.at(0) == kStart || a.at(0) == kEnd))
        result = actions.emergency(a.at(0) == kStart);
    else if (r.verb == verb::kStatus && a.isEmpty())
        return answerLine({true, statusText(actions.status())});
    // The command line prints the message as its one line.
    result.message.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return answerLine(result);
}

void answerRequestLater(RemoteActions& actions, const QByteArray& line,
                        const std::function<void(const QByteArray&)>& reply) {
    RemoteRequest r;
    if (!parseRequestLine(line, &r) ||
        (r.verb != verb::kPublish && r.verb != verb::kFollow && r.verb != verb::kSync)) {
        reply(answerRequest(actions, line));
        return;
    }
    // The campus's answers keep their lines: the public key is the last line publish prints.
    const RemoteActions::Answer answer = [reply](const ActionResult& result) { reply(answerLine(result)); };
    const QStringList& a = r.arguments;
    if (r.verb == verb::kPublish && a.size() == 1)
        actions.campusPublish(a.at(0), answer);
    else if (r.verb == verb::kFollow && a.size() == 2)
        actions.campusFollow(a.at(0), a.at(1), answer);
    else if (r.verb == verb::kSync && a.isEmpty())
        actions.campusSync(answer);
    else
        reply(answerLine({false, QStringLiteral("未知命令 %1").arg(r.verb)}));
}

}  // namespace quel
