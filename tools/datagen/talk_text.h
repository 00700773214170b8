#pragma once
// The words of the story, the mission briefings and the radio call, in UTF-8;
// the talk generator turns them into Big5 tables. Each record is one line of
// a page: who speaks (the portrait's status in P_TALK), with which face (the
// status's direction), and what is said. Speaker -1 is the narrator, shown
// without a portrait.
#include <cstdint>
#include <span>

namespace datagen::talk {

enum Speaker : int32_t { kNarrator = -1, kColonel = 0, kRain = 1, kAnna = 2, kVarga = 3, kSpeakers = 4 };
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
    {kColonel, kStern, "各位，這是一場不能失敗的作戰。"},
    {kColonel, kCalm, "赤焰軍團在群島上部署了通訊塔、燃料倉庫和飛彈陣地。"},
    {kColonel, kCalm, "主力艦隊要靠近群島，就必須先拔除這些據點。"},
    {kColonel, kStern, "而這正是你們的任務。"},
    {kColonel, kCalm, "作戰期間，通訊官安娜會在艦上為你們提供情報。"},
    {kAnna, kSmile, "大家好，我是安娜。我會隨時注意你們的狀況。"},
    {kAnna, kCalm, "有任何需要，就用無線電呼叫我。"},
    {kRain, kCalm, "獵鷹小隊隊長，雷恩。"},
    {kRain, kStern, "上校，請放心。我們一定會把群島奪回來。"},
    {kColonel, kSmile, "很好，我就等你這句話。"},
    {kColonel, kCalm, "第一個目標是群島西側的海岸。"},
    {kColonel, kCalm, "在那裡建立登陸據點，後續部隊才能跟上。"},
    {kNarrator, kNone, "清晨五點，運輸艇衝破濃霧，駛向黑暗的海岸線。"},
    {kNarrator, kNone, "獵鷹小隊的戰鬥，就此展開。"},
};

// The radio call of the operator panel: one page of at most eight lines.
inline constexpr Line kRadioCall[] = {
    {kAnna, kStern, "這裡是母艦，安娜呼叫獵鷹小隊，收到請回答。"},
    {kAnna, kCalm, "補給已經準備好了，隨時可以空投到你的位置。"},
    {kAnna, kCalm, "用面板上的按鈕選擇要呼叫的支援。"},
    {kAnna, kCalm, "支援需要花費金錢，請留意你的預算。"},
    {kAnna, kSmile, "選好之後，在地圖上點選投放的地點就可以了。"},
    {kAnna, kSmile, "祝你好運，雷恩，我們等你回來。"},
};

inline constexpr Line kTalk1[] = {
    {kColonel, kStern, "雷恩，登陸艇再過十分鐘就會抵達海岸。"},
    {kColonel, kCalm, "根據偵察，海岸上駐守著一個步兵連。"},
    {kColonel, kCalm, "敵人在沙灘後方挖了壕溝，還架設了機槍陣地。"},
    {kColonel, kStern, "你的任務是消滅海岸上所有的敵人。"},
    {kRain, kCalm, "了解。有沒有裝甲部隊的消息？"},
    {kColonel, kCalm, "目前沒有發現戰車，但要小心巡邏的吉普車。"},
    {kAnna, kCalm, "雷恩，我把海岸的地形圖傳給你。"},
    {kAnna, kCalm, "沙灘的北邊有一片礁岩，可以當作掩護。"},
    {kAnna, kCalm, "南邊的樹林裡有敵人的哨站。"},
    {kAnna, kStern, "哨站後面還有一座彈藥庫，千萬別靠得太近。"},
    {kRain, kSmile, "謝了，安娜。有妳在我就放心多了。"},
    {kAnna, kSmile, "少貧嘴了，專心打仗吧。"},
    {kColonel, kCalm, "這是你們第一次實戰，裝備我只能給基本款。"},
    {kColonel, kCalm, "衝鋒槍和脈衝步槍，還有幾顆手榴彈。"},
    {kColonel, kSmile, "等你立下戰功，軍需處自然會把好東西送來。"},
    {kRain, kCalm, "那我就先拿敵人的頭盔來換吧。"},
    {kColonel, kCalm, "還有一件事。"},
    {kColonel, kStern, "消滅的敵人越多，你領到的獎金也越多。"},
    {kColonel, kCalm, "獎金可以用來購買更強的武器與補給。"},
    {kAnna, kCalm, "海岸的敵人都清除之後，登陸點就安全了。"},
    {kAnna, kCalm, "我會在你的雷達上標出敵人的位置。"},
    {kRain, kStern, "獵鷹小隊，準備登陸！"},
    {kColonel, kStern, "出發吧，雷恩。祝你們好運。"},
    {kNarrator, kNone, "任務一：海岸登陸。消滅所有敵人，確保登陸地點。"},
};

inline constexpr Line kTalk2[] = {
    {kColonel, kCalm, "雷恩，幹得好，海岸的登陸點已經確保了。"},
    {kColonel, kCalm, "不過敵人很快就發現了我們的行動。"},
    {kColonel, kStern, "他們正在用無線電召集附近的部隊。"},
    {kAnna, kCalm, "我攔截到了敵人的通訊訊號。"},
    {kAnna, kCalm, "訊號來自東北方山丘上的通訊塔。"},
    {kAnna, kStern, "只要通訊塔還在，敵人的增援就會源源不絕。"},
    {kRain, kCalm, "所以這次的目標是通訊塔？"},
    {kColonel, kCalm, "沒錯。摧毀通訊塔，切斷敵人的聯絡。"},
    {kColonel, kCalm, "通訊塔周圍有圍牆和兩座砲塔保護。"},
    {kColonel, kStern, "正面硬闖會很吃力，最好從側面繞過去。"},
    {kAnna, kCalm, "山丘的東邊有一條廢棄的礦坑道路。"},
    {kAnna, kCalm, "沿著那條路走，可以避開大部分的守軍。"},
    {kAnna, kSmile, "我還發現一件好事。"},
    {kAnna, kSmile, "軍需處送來了新的霰彈槍和重機槍。"},
    {kRain, kSmile, "這可真是好消息。"},
    {kColonel, kCalm, "通訊塔的結構很堅固，普通子彈打不穿。"},
    {kColonel, kCalm, "用重火力集中攻擊塔基，才能讓它倒下。"},
    {kColonel, kStern, "等到塔完全倒塌，任務才算完成。"},
    {kRain, kCalm, "明白，我會確認它倒下為止。"},
    {kAnna, kStern, "小心，附近的山谷裡還有敵人的巡邏隊。"},
    {kAnna, kCalm, "進入山谷時會聽到警報聲，那是敵人的哨站。"},
    {kRain, kCalm, "有警報聲就代表走對路了。"},
    {kColonel, kCalm, "切斷通訊之後，敵人就成了聾子和瞎子。"},
    {kColonel, kSmile, "接下來的行動就會輕鬆許多。"},
    {kRain, kStern, "交給我吧。"},
    {kNarrator, kNone, "任務二：切斷通訊。摧毀敵軍的通訊塔。"},
    {kNarrator, kNone, "通訊塔倒塌的那一刻，就是勝利的信號。"},
};

inline constexpr Line kTalk3[] = {
    {kAnna, kCalm, "雷恩，通訊塔倒了以後，敵人亂成一團。"},
    {kAnna, kCalm, "他們的殘兵逃進了中部的叢林。"},
    {kColonel, kStern, "這些殘兵會在叢林裡打游擊。"},
    {kColonel, kCalm, "如果放著不管，我們的補給線就會被切斷。"},
    {kColonel, kStern, "你的任務是掃蕩叢林，消滅所有敵人。"},
    {kRain, kCalm, "叢林裡視野很差，他們會躲在哪裡？"},
    {kAnna, kCalm, "熱感應顯示，敵人分散在河流兩岸。"},
    {kAnna, kCalm, "河上有兩座木橋，是唯一能過河的地方。"},
    {kAnna, kStern, "橋頭一定有埋伏，要特別小心。"},
    {kRain, kSmile, "那就讓他們嘗嘗新武器的滋味。"},
    {kColonel, kCalm, "軍需處這次送來了雷射槍和三向脈衝槍。"},
    {kColonel, kCalm, "在叢林裡，三向脈衝槍對付成群的敵人很有效。"},
    {kAnna, kCalm, "叢林深處還有一座舊神殿。"},
    {kAnna, kCalm, "敵人把那裡當作臨時的指揮所。"},
    {kAnna, kStern, "聽說神殿附近有地雷，走路要看腳下。"},
    {kRain, kCalm, "收到，我會注意。"},
    {kColonel, kCalm, "一個敵人都不能放過，雷恩。"},
    {kColonel, kStern, "只要還有一個敵人在，叢林就不算安全。"},
    {kRain, kStern, "獵鷹小隊，進入叢林。"},
    {kNarrator, kNone, "任務三：叢林掃蕩。掃蕩叢林中的所有敵人。"},
};

inline constexpr Line kTalk4[] = {
    {kColonel, kStern, "雷恩，緊急狀況。"},
    {kColonel, kCalm, "敵人從北方的基地派出了裝甲部隊。"},
    {kColonel, kCalm, "那是赤焰軍團最新型的重型戰車。"},
    {kColonel, kStern, "如果讓它開到海岸，我們的登陸點就完了。"},
    {kAnna, kCalm, "我正在追蹤那輛戰車的位置。"},
    {kAnna, kCalm, "它沿著北方的公路南下，速度不快。"},
    {kAnna, kCalm, "公路兩側是農田，幾乎沒有掩護。"},
    {kAnna, kStern, "戰車的裝甲很厚，正面攻擊沒有用。"},
    {kRain, kCalm, "那要怎麼對付它？"},
    {kColonel, kCalm, "戰車的弱點在側面和後方。"},
    {kColonel, kCalm, "用移動力繞到它的背後，集中火力攻擊。"},
    {kColonel, kSmile, "這次我幫你準備了火箭和反坦克雷。"},
    {kRain, kSmile, "上校真是太大方了。"},
    {kAnna, kStern, "戰車旁邊還有步兵護衛。"},
    {kAnna, kCalm, "先解決步兵，再專心對付戰車。"},
    {kAnna, kCalm, "戰車被擊毀之後會爆炸，記得保持距離。"},
    {kRain, kCalm, "我會等它燒完再過去確認。"},
    {kColonel, kCalm, "只有確認戰車完全被摧毀，任務才算成功。"},
    {kColonel, kStern, "雷恩，這輛戰車絕不能放它過去。"},
    {kRain, kStern, "它一步也過不去。"},
    {kAnna, kSmile, "我相信你。"},
    {kNarrator, kNone, "任務四：裝甲獵殺。擊毀敵軍的裝甲戰車。"},
    {kNarrator, kNone, "戰車在公路上緩緩前進，履帶聲越來越近。"},
    {kNarrator, kNone, "獵鷹小隊在田埂之間悄悄散開。"},
};

inline constexpr Line kTalk5[] = {
    {kColonel, kCalm, "雷恩，聯軍的主力艦隊已經出發了。"},
    {kColonel, kCalm, "再過兩天，艦隊就會抵達群島外海。"},
    {kColonel, kStern, "在那之前，我們必須削弱敵人的戰力。"},
    {kAnna, kCalm, "偵察機在南方港口發現了敵人的燃料倉庫。"},
    {kAnna, kCalm, "敵人的戰車和飛機，全靠這裡的燃料補給。"},
    {kAnna, kCalm, "倉庫區一共有好幾座大型油槽。"},
    {kRain, kCalm, "全部炸掉就行了吧？"},
    {kColonel, kStern, "一座都不能留下。"},
    {kColonel, kCalm, "只要還有一座油槽，敵人就能繼續作戰。"},
    {kVarga, kStern, "聽說有一群老鼠在我的島上亂竄。"},
    {kVarga, kSmile, "燃料倉庫有我最精銳的部隊守著。"},
    {kVarga, kSmile, "想來送死的話，儘管來吧。"},
    {kAnna, kStern, "這是敵人的廣播……是赤焰軍團的瓦格將軍。"},
    {kAnna, kCalm, "看來他已經注意到我們了。"},
    {kRain, kSmile, "那正好，讓他親眼看看油槽是怎麼燒起來的。"},
    {kColonel, kCalm, "倉庫的守備比之前都要嚴密。"},
    {kColonel, kCalm, "港口的圍牆上有砲塔，碼頭也有巡邏艇。"},
    {kColonel, kStern, "不要被牽制住，目標只有油槽。"},
    {kAnna, kCalm, "油槽爆炸的威力很大。"},
    {kAnna, kStern, "攻擊的時候要站遠一點，別把自己也炸飛了。"},
    {kRain, kCalm, "放心，我可不想變成烤肉。"},
    {kAnna, kSmile, "這次軍需處送來了狙擊槍和熱能飛彈。"},
    {kAnna, kCalm, "狙擊槍可以從遠處解決砲塔。"},
    {kColonel, kCalm, "燃料倉庫一毀，敵人的裝甲部隊就動不了了。"},
    {kColonel, kStern, "出發吧。"},
    {kRain, kStern, "獵鷹小隊，目標燃料倉庫！"},
    {kNarrator, kNone, "任務五：燃料倉庫。炸毀敵軍的燃料倉庫。"},
};

inline constexpr Line kTalk6[] = {
    {kAnna, kStern, "雷恩，大事不好了。"},
    {kAnna, kCalm, "我們的第二小隊在峽谷裡遭到伏擊。"},
    {kAnna, kCalm, "他們的無線電已經失去訊號了。"},
    {kColonel, kStern, "第二小隊負責運送醫療物資。"},
    {kColonel, kCalm, "他們最後的位置是峽谷深處的會合點。"},
    {kColonel, kStern, "你必須突破敵人的防線，趕到會合點。"},
    {kRain, kStern, "我馬上出發。"},
    {kAnna, kCalm, "峽谷的入口被敵人封鎖了。"},
    {kAnna, kCalm, "入口後面是一連串的檢查哨。"},
    {kAnna, kCalm, "會合點在峽谷的西北角，一座石橋的旁邊。"},
    {kColonel, kCalm, "不用消滅所有敵人，時間比較重要。"},
    {kColonel, kStern, "只要抵達會合點，任務就算完成。"},
    {kRain, kCalm, "第二小隊還有人活著嗎？"},
    {kAnna, kCalm, "我不知道……但我相信他們還在等你。"},
    {kNarrator, kNone, "任務六：峽谷會合。突破防線，到達峽谷會合點。"},
    {kNarrator, kNone, "雷達上的紅點標出了會合點的位置。"},
};

inline constexpr Line kTalk7[] = {
    {kColonel, kCalm, "雷恩，第二小隊的隊員都平安獲救了。"},
    {kColonel, kSmile, "你做得非常好。"},
    {kRain, kCalm, "他們帶回來什麼情報嗎？"},
    {kColonel, kStern, "有，而且是非常危險的情報。"},
    {kColonel, kCalm, "敵人在東部高地上建造了飛彈陣地。"},
    {kColonel, kCalm, "那些飛彈瞄準的，正是我們的主力艦隊。"},
    {kAnna, kCalm, "衛星照片顯示，高地上有好幾座飛彈發射台。"},
    {kAnna, kStern, "它們預計在明天清晨完成發射準備。"},
    {kAnna, kCalm, "發射台之間有壕溝和鐵絲網連接。"},
    {kRain, kStern, "所以我們只有今晚的時間。"},
    {kColonel, kStern, "摧毀所有的飛彈發射台，一座都不能漏掉。"},
    {kColonel, kCalm, "這次軍需處把五向步槍也撥給了你。"},
    {kVarga, kSmile, "我的飛彈會讓你們的艦隊沉入海底。"},
    {kVarga, kStern, "誰也阻止不了赤焰軍團。"},
    {kRain, kSmile, "我們走著瞧，將軍。"},
    {kNarrator, kNone, "任務七：飛彈陣地。摧毀所有飛彈發射台。"},
};

inline constexpr Line kTalk8[] = {
    {kColonel, kSmile, "飛彈陣地全毀，艦隊安全了。"},
    {kColonel, kCalm, "現在輪到我們反攻了。"},
    {kColonel, kStern, "目標是敵軍在中央平原的指揮所。"},
    {kAnna, kCalm, "指揮所是一棟有地下室的水泥建築。"},
    {kAnna, kCalm, "瓦格將軍的命令都是從這裡發出去的。"},
    {kAnna, kStern, "周圍有重兵把守，還有戰車在巡邏。"},
    {kRain, kCalm, "瓦格本人也在那裡嗎？"},
    {kAnna, kCalm, "不確定，但攻下指揮所，敵人就會失去指揮。"},
    {kColonel, kStern, "摧毀指揮所，讓赤焰軍團群龍無首。"},
    {kColonel, kCalm, "艦隊的砲火會在外圍掩護你。"},
    {kRain, kStern, "收到，開始行動。"},
    {kAnna, kSmile, "雷恩，小心一點，別讓我擔心。"},
    {kRain, kSmile, "我什麼時候讓妳擔心過了？"},
    {kNarrator, kNone, "任務八：敵軍指揮所。攻下敵軍指揮所。"},
    {kNarrator, kNone, "平原上的夜空，被照明彈映得通紅。"},
};

inline constexpr Line kTalk9[] = {
    {kAnna, kStern, "雷恩，快撤退！這是陷阱！"},
    {kAnna, kCalm, "指揮所裡是空的，瓦格早就逃走了。"},
    {kAnna, kStern, "敵人的大部隊正從四面八方包圍你。"},
    {kVarga, kSmile, "歡迎來到我的陷阱，獵鷹小隊。"},
    {kVarga, kSmile, "你們以為能這麼輕易攻下我的指揮所嗎？"},
    {kVarga, kStern, "這座山谷，就是你們的墳墓。"},
    {kRain, kStern, "上校，我們被包圍了，請指示！"},
    {kColonel, kStern, "冷靜，雷恩。你們還有一條路。"},
    {kColonel, kCalm, "穿過南邊的山谷，那裡有一個撤離地點。"},
    {kColonel, kCalm, "直升機會在撤離地點等你們。"},
    {kAnna, kCalm, "山谷很長，地形也很複雜。"},
    {kAnna, kCalm, "我會在雷達上標出撤離地點。"},
    {kAnna, kCalm, "山谷中段有一座吊橋，過了橋就不遠了。"},
    {kAnna, kStern, "吊橋附近有敵人的狙擊手。"},
    {kRain, kCalm, "狙擊手交給我處理。"},
    {kColonel, kCalm, "不要戀戰，你的目標是活著出來。"},
    {kColonel, kStern, "只要抵達撤離地點，就算成功突圍。"},
    {kRain, kStern, "明白。"},
    {kAnna, kCalm, "直升機的燃料只夠等你們一段時間。"},
    {kAnna, kStern, "動作一定要快。"},
    {kRain, kSmile, "我跑起來可是很快的。"},
    {kVarga, kStern, "追！一個都不准放走！"},
    {kNarrator, kNone, "山谷裡響起了此起彼落的槍聲。"},
    {kNarrator, kNone, "獵鷹小隊背靠著背，一步一步向南移動。"},
    {kNarrator, kNone, "撤離地點就在山谷的盡頭。"},
    {kNarrator, kNone, "任務九：山谷突圍。"},
    {kNarrator, kNone, "穿越山谷，到達撤離地點。"},
};

inline constexpr Line kTalk10[] = {
    {kColonel, kCalm, "雷恩，你們能平安回來，真是太好了。"},
    {kColonel, kStern, "不過，瓦格還沒有放棄。"},
    {kAnna, kCalm, "敵人的防線全靠北方發電廠供電。"},
    {kAnna, kCalm, "雷達、砲塔和電磁柵欄，都需要電力。"},
    {kRain, kCalm, "只要破壞發電廠，防線就會癱瘓。"},
    {kColonel, kStern, "正是如此。破壞發電廠的所有機組。"},
    {kColonel, kCalm, "發電廠四周圍著高壓電網，要找到缺口。"},
    {kAnna, kCalm, "電網的東南角有一段正在維修。"},
    {kAnna, kStern, "那是唯一的入口，敵人一定也知道。"},
    {kRain, kSmile, "知道又怎樣，我照樣闖進去。"},
    {kNarrator, kNone, "任務十：發電廠。"},
    {kNarrator, kNone, "破壞敵軍的發電廠。"},
};

inline constexpr Line kTalk11[] = {
    {kAnna, kSmile, "發電廠停擺了，敵人的防線一片漆黑。"},
    {kColonel, kCalm, "聯軍主力已經在海岸完成登陸。"},
    {kColonel, kStern, "但是敵人在首都外圍還有最後一道防線。"},
    {kColonel, kCalm, "你們要從側翼突破，到達防線後方的目標地點。"},
    {kAnna, kCalm, "目標地點是一座小山丘，可以俯瞰整個首都。"},
    {kAnna, kCalm, "我們要在那裡設置砲兵觀測站。"},
    {kRain, kCalm, "觀測站設好之後呢？"},
    {kColonel, kStern, "艦隊的砲火就會把敵人的陣地夷為平地。"},
    {kVarga, kStern, "你們休想越過最後防線。"},
    {kVarga, kStern, "我會親自送你們下地獄。"},
    {kRain, kStern, "將軍，我們戰場上見。"},
    {kNarrator, kNone, "任務十一：最後防線。"},
    {kNarrator, kNone, "突破最後防線，到達目標地點。"},
};

inline constexpr Line kTalk12[] = {
    {kColonel, kStern, "雷恩，這是最後的戰鬥了。"},
    {kColonel, kCalm, "瓦格帶著殘餘的部隊，躲進了首都的要塞。"},
    {kColonel, kCalm, "聯軍將從三個方向同時發動總攻擊。"},
    {kColonel, kStern, "獵鷹小隊負責從正面突入，消滅所有敵人。"},
    {kAnna, kCalm, "要塞裡還有戰車、砲塔和大量的步兵。"},
    {kAnna, kStern, "這會是你們遇過最艱難的戰鬥。"},
    {kAnna, kCalm, "軍需處把所有的武器都開放給你了。"},
    {kRain, kSmile, "那就全部帶上吧。"},
    {kVarga, kStern, "晨星群島是我的！"},
    {kVarga, kStern, "就算要和這座島一起毀滅，我也不會投降！"},
    {kRain, kStern, "瓦格，你的時代結束了。"},
    {kAnna, kSmile, "雷恩，一定要回來喔。"},
    {kRain, kSmile, "等我回來，一起去看海岸的日出吧。"},
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
