#pragma once

#include <QString>

// The player's own texts: messages, dialog titles and filters, spelled once.
namespace quel::texts {

inline const QString kTitle = QStringLiteral("Quelbrook");

inline const QString kCannotRead = QStringLiteral("无法读取,未作修改!");
inline const QString kStillChecking = QStringLiteral("正在检查中,请稍候再试!");
inline const QString kCannotWrite = QStringLiteral("无法写入,未作修改!");
inline const QString kCannotDeletePlaying = QStringLiteral("不能删除正在播放的曲目!");
inline const QString kSelectTrackToDelete = QStringLiteral("请选择要删除的曲目");
inline const QString kCannotClearWhilePlaying = QStringLiteral("系统播放状态,不能清空曲目!");
inline const QString kClearAll = QStringLiteral("要全部清空曲目吗?");
inline const QString kDoesNotExist = QStringLiteral("不存在!请重新选择一个!");
inline const QString kListEmpty = QStringLiteral("播音列表为空!");
inline const QString kFile = QStringLiteral("文件：");
inline const QString kOverwrite = QStringLiteral("已存在，要覆盖它吗？");
inline const QString kMadeDefault = QStringLiteral("已被设置为默认的播放列表文件,下次程序启动时它将被调用!");
inline const QString kCannotStoreQuote = QStringLiteral("文件路径中不能包含 \" 字符：");
inline const QString kCannotListNames = QStringLiteral("文件名中含有\"或|,不能加入播放列表:");

inline const QString kOpenTitle = QStringLiteral("打开播放列表文件：(*.PLF)");
inline const QString kSaveAsTitle = QStringLiteral("将当前的播音序列存为一个播音列表文件(*.PLF):");
inline const QString kNewTitle = QStringLiteral("请输入要创建的播放列表文件名：(*.PLF)");
inline const QString kPlayListFilter = QStringLiteral("播放列表文件(*.PLF)|*.plf");
inline const QString kSaveAsFilter = QStringLiteral("播音列表文件(*.PLF)|*.PLF");

}  // namespace quel::texts
