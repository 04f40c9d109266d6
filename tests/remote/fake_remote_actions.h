#pragma once

#include <QTimer>

#include "remote/remote_actions.h"

namespace quel::fakes {

// Records every action as a line ("ring /x.wav", "broadcast a.PLF random") and answers with `answer`,
// or with a refusal for a play list named in `missingLists`.
class FakeRemoteActions final : public RemoteActions {
public:
    ActionResult ringNow(const QString& file) override { return done(QStringLiteral("ring ") + file); }
    ActionResult next() override { return done(QStringLiteral("next")); }
    ActionResult skipNext() override { return done(QStringLiteral("skip")); }
    ActionResult broadcast(const QString& playList, bool random) override {
        if (missingLists.contains(playList)) {
            calls << QStringLiteral("broadcast refused");
            return {false, QStringLiteral("没有播音列表 ") + playList};
        }
        return done(
            QStringLiteral("broadcast %1%2").arg(playList, random ? QStringLiteral(" random") : QString()));
    }
    ActionResult stop() override { return done(QStringLiteral("stop")); }
    ActionResult say(bool female) override {
        return done(female ? QStringLiteral("say female") : QStringLiteral("say male"));
    }
    ActionResult emergency(bool on) override {
        state.emergency = on;
        return done(on ? QStringLiteral("emergency on") : QStringLiteral("emergency off"));
    }
    RemoteStatus status() const override { return state; }
    // Publishing answers at once; a follow or a sync on a later turn of the event loop, as a fetch from
    // a web server would. A follow under the key "wrong" has its fetch refused.
    void campusPublish(const QString& folder, const Answer& reply) override {
        calls << QStringLiteral("publish ") + folder;
        reply({true, QStringLiteral("已发布版本 7\nKEY=")});
    }
    void campusFollow(const QString& address, const QString& key, const Answer& reply) override {
        calls << QStringLiteral("follow %1 %2").arg(address, key);
        const ActionResult fetched =
            key == QLatin1String("wrong")
                ? ActionResult{false, QStringLiteral("已跟随 %1; 拒绝: 签名不对").arg(address)}
                : ActionResult{true, QStringLiteral("已跟随 %1; 已同步版本 7").arg(address)};
        QTimer::singleShot(0, this, [reply, fetched] { reply(fetched); });
    }
    void campusSync(const Answer& reply) override {
        calls << QStringLiteral("sync");
        QTimer::singleShot(0, this, [reply] { reply({true, QStringLiteral("未变化")}); });
    }

    void fire(const QString& time, const QString& response) { emit entryFired(time, response); }

    QStringList calls;
    QStringList missingLists;
    ActionResult answer{true, QStringLiteral("好")};
    RemoteStatus state;

private:
    ActionResult done(const QString& call) {
        calls << call;
        return answer;
    }
};

}  // namespace quel::fakes
