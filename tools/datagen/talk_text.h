#pragma once
// The words of the story, the mission briefings and the radio call, in UTF-8;
// the talk generator turns them into Big5 tables. Each record is one line of
// a page: who speaks (the portrait's status in P_TALK), with which face (the
// status's direction), and what is said. Speaker -1 is the narrator, shown
// without a portrait; the player's own character speaks through it too, its
// words in quotes, and is called by its call sign: the tables cannot know
// which of the five it is.
//
// A briefing's line has room for 14 glyphs beside the buttons, the radio
// call's for 22 and the story's for 33.
#include <cstdint>
#include <span>

namespace datagen::talk {

enum Speaker : int32_t { kNarrator = -1, kColonel = 0, kQuartermaster = 1, kAnna = 2, kVarga = 3, kSpeakers = 4 };
// The faces every speaker has: calm, stern, smiling.
enum Face : int32_t { kNone = -1, kCalm = 0, kStern = 1, kSmile = 2 };

struct Line {
    int32_t speaker;
    int32_t face;
    const char* text;
};

// The story before the first mission: nine lines a page.
inline constexpr Line kStory[] = {
    {kNarrator, kNone, "西元二○四七年，晨星群島。"},
    {kNarrator, kNone, "這片寧靜的海上群島，蘊藏著豐富的能源礦脈。"},
    {kNarrator, kNone, "一個月前，自稱「赤焰軍團」的武裝部隊在深夜登陸，"},
    {kNarrator, kNone, "短短三天之內，便佔領了群島上所有的港口與機場。"},
    {kNarrator, kNone, "島上的通訊全數中斷，數萬居民下落不明。"},
    {kVarga, kSmile, "晨星群島從今天起，歸赤焰軍團所有。"},
    {kVarga, kStern, "任何膽敢反抗的人，都將被徹底消滅。"},
    {kVarga, kSmile, "聯合國的艦隊？讓他們來吧，我的飛彈早已等候多時。"},
    {kNarrator, kNone, "國際聯軍決定派出一支精銳的特種部隊，"},
    {kNarrator, kNone, "在主力艦隊抵達之前，從內部瓦解敵軍的防線。"},
    {kNarrator, kNone, "這支部隊的代號是「獵鷹小隊」。"},
    {kNarrator, kNone, "小隊由五名專家組成：突擊、偵察、重火力、爆破與狙擊。"},
    {kNarrator, kNone, "每次行動只派一人潛入敵後，其餘隊員在母艦上待命支援。"},
    {kColonel, kStern, "各位，這是一場不能失敗的作戰。"},
    {kColonel, kCalm, "赤焰軍團在群島上部署了通訊塔、燃料倉庫和飛彈陣地。"},
    {kColonel, kCalm, "主力艦隊要靠近群島，就必須先拔除這些據點。"},
    {kColonel, kStern, "而這正是獵鷹小隊的任務。"},
    {kColonel, kCalm, "作戰期間，通訊官安娜會在艦上為出擊的隊員提供情報。"},
    {kAnna, kSmile, "大家好，我是安娜。我會隨時注意戰場上的狀況。"},
    {kAnna, kCalm, "出擊隊員的呼號一律是「獵鷹」，有需要就用無線電呼叫我。"},
    {kQuartermaster, kCalm, "我是軍需官老周，武器和補給都歸我管。"},
    {kQuartermaster, kCalm, "每次出擊之前，到我這裡挑選裝備。"},
    {kQuartermaster, kSmile, "立下戰功的話，我就把更好的傢伙交給你們。"},
    {kColonel, kSmile, "很好。大家都聽清楚了吧。"},
    {kColonel, kCalm, "第一個目標是群島西側的海岸。"},
    {kColonel, kCalm, "在那裡建立登陸據點，後續部隊才能跟上。"},
    {kNarrator, kNone, "清晨五點，運輸艇衝破濃霧，駛向黑暗的海岸線。"},
    {kNarrator, kNone, "獵鷹小隊的戰鬥，就此展開。"},
};

// The radio call of the operator panel: one page of at most eight lines,
// all of one speaker.
inline constexpr Line kRadioCall[] = {
    {kAnna, kStern, "這裡是母艦，安娜呼叫獵鷹，請回答。"},
    {kAnna, kCalm, "補給已經準備好了，隨時可以空投。"},
    {kAnna, kCalm, "用面板上的按鈕選擇要呼叫的支援。"},
    {kAnna, kCalm, "支援需要花費金錢，請留意預算。"},
    {kAnna, kSmile, "選好之後，在地圖上點選投放地點。"},
    {kAnna, kSmile, "祝你好運，獵鷹，我們等你回來。"},
};

inline constexpr Line kTalk1[] = {
    {kColonel, kStern, "獵鷹，登陸艇即將抵達海岸。"},
    {kColonel, kCalm, "海岸上駐守著一個步兵連。"},
    {kColonel, kCalm, "沙灘後方有壕溝和機槍陣地。"},
    {kColonel, kStern, "你的任務是消滅海岸的敵人。"},
    {kNarrator, kNone, "「了解。有裝甲部隊嗎？」"},
    {kColonel, kCalm, "沒有發現戰車，但有巡邏車。"},
    {kAnna, kCalm, "獵鷹，我把海岸地形圖傳給你。"},
    {kAnna, kCalm, "沙灘北邊的礁岩可以掩護。"},
    {kAnna, kCalm, "南邊的樹林裡有敵軍哨站。"},
    {kAnna, kStern, "哨站後有彈藥庫，別靠太近。"},
    {kNarrator, kNone, "「謝了，安娜，幫了大忙。」"},
    {kAnna, kSmile, "少貧嘴了，專心打仗吧。"},
    {kQuartermaster, kCalm, "第一次出擊，只有基本裝備。"},
    {kQuartermaster, kCalm, "衝鋒槍、脈衝步槍和手榴彈。"},
    {kQuartermaster, kSmile, "立了戰功，好東西自然會來。"},
    {kNarrator, kNone, "「那就拿敵人的頭盔來換。」"},
    {kColonel, kCalm, "還有一件事。"},
    {kColonel, kStern, "消滅的敵人越多，獎金越多。"},
    {kColonel, kCalm, "獎金能買更強的武器與補給。"},
    {kAnna, kCalm, "清除海岸後，登陸點就安全了。"},
    {kAnna, kCalm, "我會在雷達上標出敵人位置。"},
    {kNarrator, kNone, "「獵鷹，準備登陸！」"},
    {kColonel, kStern, "出發吧，獵鷹。祝你好運。"},
    {kNarrator, kNone, "任務一：海岸登陸。"},
    {kNarrator, kNone, "消滅所有敵人，確保登陸點。"},
};

inline constexpr Line kTalk2[] = {
    {kColonel, kCalm, "幹得好，獵鷹，登陸點確保了。"},
    {kColonel, kCalm, "不過敵人已經察覺我們了。"},
    {kColonel, kStern, "他們正用無線電召集援軍。"},
    {kAnna, kCalm, "我攔截到敵人的通訊訊號。"},
    {kAnna, kCalm, "訊號來自東北山丘的通訊塔。"},
    {kAnna, kStern, "通訊塔不倒，援軍就不會斷。"},
    {kNarrator, kNone, "「這次的目標是通訊塔？」"},
    {kColonel, kCalm, "沒錯，摧毀它，切斷聯絡。"},
    {kColonel, kCalm, "塔的周圍有圍牆和兩座砲塔。"},
    {kColonel, kStern, "正面硬闖太吃力，從側面繞。"},
    {kAnna, kCalm, "山丘東邊有條廢棄礦坑道路。"},
    {kAnna, kCalm, "走那條路能避開多數守軍。"},
    {kQuartermaster, kSmile, "老周這裡有好消息。"},
    {kQuartermaster, kSmile, "新到的霰彈槍和重機槍。"},
    {kNarrator, kNone, "「這可真是好消息。」"},
    {kColonel, kCalm, "通訊塔很堅固，子彈打不穿。"},
    {kColonel, kCalm, "用重火力集中攻擊塔基。"},
    {kColonel, kStern, "塔完全倒塌，任務才算完成。"},
    {kNarrator, kNone, "「明白，我會看著它倒下。」"},
    {kAnna, kStern, "小心山谷裡的巡邏隊。"},
    {kAnna, kCalm, "聽到警報聲，就是敵軍哨站。"},
    {kNarrator, kNone, "「有警報就代表走對了。」"},
    {kColonel, kCalm, "斷了通訊，敵人就又聾又瞎。"},
    {kColonel, kSmile, "之後的行動就輕鬆多了。"},
    {kNarrator, kNone, "「交給我吧。」"},
    {kNarrator, kNone, "任務二：切斷通訊。"},
    {kNarrator, kNone, "摧毀敵軍的通訊塔。"},
    {kNarrator, kNone, "塔倒下的那一刻，就是勝利。"},
};

inline constexpr Line kTalk3[] = {
    {kAnna, kCalm, "獵鷹，通訊塔倒了，敵軍大亂。"},
    {kAnna, kCalm, "殘兵逃進了中部的叢林。"},
    {kColonel, kStern, "他們會在叢林裡打游擊。"},
    {kColonel, kCalm, "放著不管，補給線會被切斷。"},
    {kColonel, kStern, "你的任務是掃蕩整片叢林。"},
    {kNarrator, kNone, "「叢林視野差，他們在哪？」"},
    {kAnna, kCalm, "熱感應顯示敵人在河的兩岸。"},
    {kAnna, kCalm, "河上的兩座木橋是唯一通路。"},
    {kAnna, kStern, "橋頭一定有埋伏，要小心。"},
    {kQuartermaster, kCalm, "這次有雷射槍和三向脈衝槍。"},
    {kQuartermaster, kSmile, "三向脈衝槍專門對付成群的。"},
    {kNarrator, kNone, "「讓他們嘗嘗新武器。」"},
    {kAnna, kCalm, "叢林深處有一座舊神殿。"},
    {kAnna, kCalm, "敵人把那裡當成指揮所。"},
    {kAnna, kStern, "神殿附近有地雷，看好腳下。"},
    {kNarrator, kNone, "「收到，我會注意。」"},
    {kColonel, kCalm, "一個敵人都不能放過。"},
    {kColonel, kStern, "只要還有敵人，叢林就不安全。"},
    {kNarrator, kNone, "任務三：叢林掃蕩。"},
    {kNarrator, kNone, "消滅叢林中的所有敵人。"},
};

inline constexpr Line kTalk4[] = {
    {kColonel, kStern, "獵鷹，緊急狀況。"},
    {kColonel, kCalm, "北方基地派出了裝甲部隊。"},
    {kColonel, kCalm, "是赤焰軍團最新型的重戰車。"},
    {kColonel, kStern, "讓它開到海岸，登陸點就完了。"},
    {kAnna, kCalm, "我正在追蹤那輛戰車。"},
    {kAnna, kCalm, "它沿北方公路南下，速度不快。"},
    {kAnna, kCalm, "公路兩側是農田，沒有掩護。"},
    {kAnna, kStern, "它的正面裝甲很厚，打不動。"},
    {kNarrator, kNone, "「那要怎麼對付它？」"},
    {kColonel, kCalm, "戰車的弱點在側面和後方。"},
    {kColonel, kCalm, "繞到它背後集中火力。"},
    {kQuartermaster, kSmile, "我準備了火箭和反坦克雷。"},
    {kNarrator, kNone, "「老周真是太大方了。」"},
    {kAnna, kStern, "戰車旁邊還有步兵護衛。"},
    {kAnna, kCalm, "先解決步兵，再對付戰車。"},
    {kAnna, kCalm, "戰車被擊毀會爆炸，保持距離。"},
    {kNarrator, kNone, "「我會等它燒完再過去。」"},
    {kColonel, kCalm, "確認戰車被摧毀才算成功。"},
    {kColonel, kStern, "這輛戰車絕不能放過去。"},
    {kNarrator, kNone, "「它一步也過不去。」"},
    {kAnna, kSmile, "我相信你。"},
    {kNarrator, kNone, "任務四：裝甲獵殺。"},
    {kNarrator, kNone, "擊毀敵軍的裝甲戰車。"},
    {kNarrator, kNone, "履帶聲在公路上越來越近。"},
};

inline constexpr Line kTalk5[] = {
    {kColonel, kCalm, "獵鷹，聯軍艦隊已經出發了。"},
    {kColonel, kCalm, "兩天後就會抵達群島外海。"},
    {kColonel, kStern, "在那之前要削弱敵人的戰力。"},
    {kAnna, kCalm, "偵察機在南方港口發現油庫。"},
    {kAnna, kCalm, "敵人的戰車和飛機全靠這裡。"},
    {kAnna, kCalm, "倉庫區有好幾座大型油槽。"},
    {kNarrator, kNone, "「全部炸掉就行了吧？」"},
    {kColonel, kStern, "一座都不能留下。"},
    {kColonel, kCalm, "留下一座，敵人就能再戰。"},
    {kVarga, kStern, "聽說有隻老鼠在我島上亂竄。"},
    {kVarga, kSmile, "油庫有我最精銳的部隊守著。"},
    {kVarga, kSmile, "想送死的話，儘管來吧。"},
    {kAnna, kStern, "是瓦格將軍的廣播。"},
    {kAnna, kCalm, "看來他注意到我們了。"},
    {kNarrator, kNone, "「讓他看看油槽怎麼燒。」"},
    {kColonel, kCalm, "油庫的守備比之前都嚴密。"},
    {kColonel, kCalm, "圍牆上有砲塔，碼頭有巡邏艇。"},
    {kColonel, kStern, "別被牽制，目標只有油槽。"},
    {kAnna, kCalm, "油槽爆炸的威力很大。"},
    {kAnna, kStern, "攻擊時站遠一點，別被炸飛。"},
    {kNarrator, kNone, "「放心，我可不想變成烤肉。」"},
    {kQuartermaster, kSmile, "這次有狙擊槍和熱能飛彈。"},
    {kQuartermaster, kCalm, "狙擊槍能從遠處解決砲塔。"},
    {kColonel, kCalm, "油庫一毀，敵軍戰車就動不了。"},
    {kColonel, kStern, "出發吧。"},
    {kNarrator, kNone, "「目標，燃料倉庫！」"},
    {kNarrator, kNone, "任務五：燃料倉庫。"},
    {kNarrator, kNone, "炸毀敵軍的燃料倉庫。"},
};

inline constexpr Line kTalk6[] = {
    {kAnna, kStern, "獵鷹，大事不好了。"},
    {kAnna, kCalm, "第二小隊在峽谷遭到伏擊。"},
    {kAnna, kCalm, "他們的無線電沒有訊號了。"},
    {kColonel, kStern, "第二小隊負責運送醫療物資。"},
    {kColonel, kCalm, "最後位置是峽谷深處的會合點。"},
    {kColonel, kStern, "突破敵人的防線，趕到那裡。"},
    {kNarrator, kNone, "「我馬上出發。」"},
    {kAnna, kCalm, "峽谷入口被敵人封鎖了。"},
    {kAnna, kCalm, "入口後面是一連串檢查哨。"},
    {kAnna, kCalm, "會合點在西北角的石橋旁。"},
    {kColonel, kCalm, "不必消滅所有敵人，要快。"},
    {kColonel, kStern, "抵達會合點，任務就完成。"},
    {kNarrator, kNone, "「第二小隊還有人活著嗎？」"},
    {kAnna, kCalm, "不知道……但他們在等你。"},
    {kNarrator, kNone, "任務六：峽谷會合。"},
    {kNarrator, kNone, "突破防線，到達峽谷會合點。"},
    {kNarrator, kNone, "雷達上的紅點就是會合點。"},
};

inline constexpr Line kTalk7[] = {
    {kColonel, kCalm, "獵鷹，第二小隊全員獲救了。"},
    {kColonel, kSmile, "你做得非常好。"},
    {kNarrator, kNone, "「他們帶回了什麼情報？」"},
    {kColonel, kStern, "非常危險的情報。"},
    {kColonel, kCalm, "東部高地上有敵軍飛彈陣地。"},
    {kColonel, kCalm, "飛彈瞄準的正是我們的艦隊。"},
    {kAnna, kCalm, "衛星照片上有好幾座發射台。"},
    {kAnna, kStern, "明天清晨就會完成發射準備。"},
    {kAnna, kCalm, "發射台之間有壕溝和鐵絲網。"},
    {kNarrator, kNone, "「所以只剩今晚的時間。」"},
    {kColonel, kStern, "摧毀所有發射台，一座不漏。"},
    {kQuartermaster, kCalm, "五向步槍也撥給你了。"},
    {kVarga, kSmile, "我的飛彈會讓艦隊沉入海底。"},
    {kVarga, kStern, "誰也阻止不了赤焰軍團。"},
    {kNarrator, kNone, "「走著瞧，將軍。」"},
    {kNarrator, kNone, "任務七：飛彈陣地。"},
    {kNarrator, kNone, "摧毀所有飛彈發射台。"},
};

inline constexpr Line kTalk8[] = {
    {kColonel, kSmile, "飛彈陣地全毀，艦隊安全了。"},
    {kColonel, kCalm, "現在輪到我們反攻了。"},
    {kColonel, kStern, "目標是中央平原的指揮所。"},
    {kAnna, kCalm, "那是一棟有地下室的水泥樓。"},
    {kAnna, kCalm, "瓦格的命令都從那裡發出。"},
    {kAnna, kStern, "周圍重兵把守，還有戰車。"},
    {kNarrator, kNone, "「瓦格本人也在那裡嗎？」"},
    {kAnna, kCalm, "不確定，但攻下就斷了指揮。"},
    {kColonel, kStern, "摧毀指揮所，讓敵軍群龍無首。"},
    {kColonel, kCalm, "艦隊的砲火會在外圍掩護。"},
    {kNarrator, kNone, "「收到，開始行動。」"},
    {kAnna, kSmile, "小心一點，別讓我擔心。"},
    {kNarrator, kNone, "「我哪次讓妳擔心過了？」"},
    {kNarrator, kNone, "任務八：敵軍指揮所。"},
    {kNarrator, kNone, "攻下敵軍指揮所。"},
    {kNarrator, kNone, "夜空被照明彈映得通紅。"},
};

inline constexpr Line kTalk9[] = {
    {kAnna, kStern, "獵鷹，快撤退！這是陷阱！"},
    {kAnna, kCalm, "指揮所是空的，瓦格逃走了。"},
    {kAnna, kStern, "大批敵軍正從四面包圍你。"},
    {kVarga, kSmile, "歡迎來到我的陷阱，獵鷹。"},
    {kVarga, kSmile, "以為指揮所這麼好攻下嗎？"},
    {kVarga, kStern, "這座山谷就是你的墳墓。"},
    {kNarrator, kNone, "「上校，我被包圍了！」"},
    {kColonel, kStern, "冷靜，獵鷹。還有一條路。"},
    {kColonel, kCalm, "穿過南邊的山谷去撤離點。"},
    {kColonel, kCalm, "直升機會在那裡等你。"},
    {kAnna, kCalm, "山谷很長，地形也很複雜。"},
    {kAnna, kCalm, "我會在雷達上標出撤離點。"},
    {kAnna, kCalm, "過了中段的吊橋就不遠了。"},
    {kAnna, kStern, "吊橋附近有敵人的狙擊手。"},
    {kNarrator, kNone, "「狙擊手交給我處理。」"},
    {kColonel, kCalm, "不要戀戰，目標是活著出來。"},
    {kColonel, kStern, "抵達撤離點就算突圍成功。"},
    {kNarrator, kNone, "「明白。」"},
    {kAnna, kCalm, "直升機的燃料撐不了太久。"},
    {kAnna, kStern, "動作一定要快。"},
    {kNarrator, kNone, "「我跑起來可是很快的。」"},
    {kVarga, kStern, "追！一個都不准放走！"},
    {kNarrator, kNone, "山谷裡響起此起彼落的槍聲。"},
    {kNarrator, kNone, "獵鷹一步一步向南移動。"},
    {kNarrator, kNone, "撤離點就在山谷的盡頭。"},
    {kNarrator, kNone, "任務九：山谷突圍。"},
    {kNarrator, kNone, "穿越山谷，到達撤離地點。"},
};

inline constexpr Line kTalk10[] = {
    {kColonel, kCalm, "獵鷹，平安回來真是太好了。"},
    {kColonel, kStern, "不過，瓦格還沒有放棄。"},
    {kAnna, kCalm, "敵軍防線靠北方發電廠供電。"},
    {kAnna, kCalm, "雷達、砲塔和電網都要電力。"},
    {kNarrator, kNone, "「破壞發電廠，防線就癱了。」"},
    {kColonel, kStern, "正是如此。破壞所有機組。"},
    {kColonel, kCalm, "發電廠圍著高壓電網。"},
    {kAnna, kCalm, "電網東南角有一段在維修。"},
    {kAnna, kStern, "那是唯一入口，敵人也知道。"},
    {kNarrator, kNone, "「知道又怎樣，照樣闖進去。」"},
    {kNarrator, kNone, "任務十：發電廠。"},
    {kNarrator, kNone, "破壞敵軍的發電廠。"},
};

inline constexpr Line kTalk11[] = {
    {kAnna, kSmile, "發電廠停了，敵軍防線全黑。"},
    {kColonel, kCalm, "聯軍主力已在海岸登陸。"},
    {kColonel, kStern, "但首都外圍還有最後防線。"},
    {kColonel, kCalm, "從側翼突破，到達目標地點。"},
    {kAnna, kCalm, "目標是能俯瞰首都的小山丘。"},
    {kAnna, kCalm, "我們要在那裡設砲兵觀測站。"},
    {kNarrator, kNone, "「觀測站設好之後呢？」"},
    {kColonel, kStern, "艦砲會把敵陣夷為平地。"},
    {kVarga, kStern, "休想越過最後防線。"},
    {kVarga, kStern, "我會親自送你下地獄。"},
    {kNarrator, kNone, "「將軍，戰場上見。」"},
    {kNarrator, kNone, "任務十一：最後防線。"},
    {kNarrator, kNone, "突破最後防線，到達目標地點。"},
};

inline constexpr Line kTalk12[] = {
    {kColonel, kStern, "獵鷹，這是最後的戰鬥了。"},
    {kColonel, kCalm, "瓦格帶著殘部躲進首都要塞。"},
    {kColonel, kCalm, "聯軍將從三面同時總攻擊。"},
    {kColonel, kStern, "獵鷹從正面突入，消滅敵人。"},
    {kAnna, kCalm, "要塞裡有戰車、砲塔和步兵。"},
    {kAnna, kStern, "這會是最艱難的一戰。"},
    {kQuartermaster, kCalm, "所有武器都開放給你了。"},
    {kNarrator, kNone, "「那就全部帶上吧。」"},
    {kVarga, kStern, "晨星群島是我的！"},
    {kVarga, kStern, "就算和島一起毀滅也不投降！"},
    {kNarrator, kNone, "「瓦格，你的時代結束了。」"},
    {kAnna, kSmile, "獵鷹，一定要回來喔。"},
    {kNarrator, kNone, "「回來一起看海岸的日出吧。」"},
    {kColonel, kStern, "全軍，進攻！"},
    {kNarrator, kNone, "任務十二：總攻擊。"},
    {kNarrator, kNone, "消滅所有敵人，贏得勝利。"},
};

struct Table {
    const char* file; // under ATTRIB
    std::span<const Line> lines;
    int32_t minLines; // briefings: the briefing pictures change up to this many lines
};

inline constexpr Table kTables[] = {
    {"STORY.DB", kStory, 1},    {"SOS1.DB", kRadioCall, 1}, {"TALK1.DB", kTalk1, 23},
    {"TALK2.DB", kTalk2, 26},   {"TALK3.DB", kTalk3, 18},   {"TALK4.DB", kTalk4, 23},
    {"TALK5.DB", kTalk5, 26},   {"TALK6.DB", kTalk6, 14},   {"TALK7.DB", kTalk7, 15},
    {"TALK8.DB", kTalk8, 14},   {"TALK9.DB", kTalk9, 27},   {"TALK10.DB", kTalk10, 11},
    {"TALK11.DB", kTalk11, 12}, {"TALK12.DB", kTalk12, 15},
};

} // namespace datagen::talk
