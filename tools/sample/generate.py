#!/usr/bin/env python3
"""Writes the sample installation under data/ (run by hand; the output is committed).

The sample world: the islands of Hoshiwa (星輪の島々), where dawn, mist and moon
spirits are summoned by masters.  Three card series, each an island chapter:

  Akatsuki.lml   暁の章   fire and sunrise creatures        (AK001 - AK018)
  Kirinami.lml   霧波の章 mist and sea creatures            (KR001 - KR018)
  Tsukikage.lml  月影の章 night and moon creatures          (TK001 - TK018)

Masters MASTER000 - MASTER006 (N: 000, 001, 006; A: 002, 003; W: 004, 005).
Statuses 000 - 012 in state.dat.

Sample rules (system/rules; two are named after their rule as the rule editor
names its files, gekka.lmr shows that a file name need not match its rule):
  見習い杯.lmr  見習い杯  Jr, extra rules 000 and 003 (only cards of ☆2 or less)
  星屑杯.lmr    星屑杯    Sr, extra rules 001, 002 (no ☆5) and 004 (no wonder master)
  gekka.lmr     月下大会  Pro, extra rules 006 (four or more copies allowed) and 007

Sample decks (deck/), and the rule they are meant for:
  hinode_jr.ini     日の出の子ら    Jr, master N, 20 cards all ☆1-2: valid under OFFICIAL_JR and 見習い杯
  kirinami_sr.ini   霧波の守り      Sr, master A, 20 cards up to ☆4: valid under OFFICIAL_SR and 星屑杯
  gekka_pro.ini     月下の竜        Pro, master W, 30 cards with ☆5: valid under OFFICIAL_PRO and gekka
  hoshiyomi_pro.ini 星読みの夜      Pro, master A, 30 cards, four copies of TK017 (the highest
                                    identifier of the deck): breaks the three-copies limit of
                                    OFFICIAL_PRO, valid under gekka (extra rule 006)
  mayoigo_jr.ini    迷子の寄せ集め  Jr, master N, only 19 cards (slot 020 empty): breaks the card
                                    count of every rule
The full verdict table is printed by --table.

Usage: generate.py [--out DATA_DIR] [--preview PNG_DIR] [--table] [--verify]
"""

import argparse
import html.parser
import os
import shutil
import struct
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_OUT = os.path.normpath(os.path.join(HERE, "..", "..", "data"))

CRLF = "\r\n"


# ---------------------------------------------------------------------------
# World data
# ---------------------------------------------------------------------------

# identifier, name, kind letter, abilities [(name, cost text or None for no cost key)]
MASTERS = [
    ("MASTER000", "見習い巫女ハルナ", "N", [("祈りの灯", "1"), ("ひとやすみ", "")]),
    ("MASTER001", "森番のトウゴ", "N", [("森の守り", "2")]),
    ("MASTER002", "霧の剣士カザネ", "A", [("霧隠れ", "1"), ("疾風斬り", "3")]),
    ("MASTER003", "星読みのシオン", "A", [("星の導き", "0"), ("流星招来", "4"), ("占い", "なし")]),
    ("MASTER004", "暁竜の化身アカツキ", "W", [("暁の咆哮", "3"), ("竜鱗", None)]),
    ("MASTER005", "月影の女王ヨミ", "W", [("月蝕", "5"), ("影縫い", "2")]),
    ("MASTER006", "旅の商人ポポロ", "N", []),
]

MASTER_TEXT = {
    "MASTER000": "島の社で修行中の巫女。灯した火は小さくとも、決して消えない。",
    "MASTER001": "古い森を守り続ける寡黙な番人。獣たちは彼の足音を覚えている。",
    "MASTER002": "霧の中から現れ、霧の中へ消える剣士。その太刀筋を見た者は少ない。",
    "MASTER003": "夜ごと星を読み、明日の風を告げる。予言が外れたことは一度もないという。",
    "MASTER004": "暁の竜がひとの姿をとったもの。朝日とともに力を増す。",
    "MASTER005": "月の裏側に城を持つという女王。影はすべて彼女の耳である。",
    "MASTER006": "島から島へ渡り歩く商人。売り物は地図と噂話。",
}

# Series: file name, display title, motif, cards.
# Card: identifier, name, kind, base, rarity, data
#   monster/super data: (hp per level, technique 1, technique 2, cost of technique 2)
#   magic data: cost text, or None for a file without [Magic] Cost
SERIES = [
    ("Akatsuki", "暁の章", "sun", [
        ("AK001", "ヒノコ", "F", "-", 1, ((2, 2, 3, 4), "ひのこ", "とびはね", 1), "焚き火から生まれた小さな火の精。寒い夜には人気者。"),
        ("AK002", "アカトカゲ", "F", "-", 1, ((2, 3, 3, 4), "しっぽ打ち", "熱い息", 1), "日なたの岩の上でいつも昼寝をしている。"),
        ("AK003", "焔狐ホムラ", "F", "-", 2, ((3, 3, 4, 5), "狐火", "化かし", 2), "九つの火の玉を操る狐。いたずら好き。"),
        ("AK004", "岩亀ガンジ", "B", "-", 1, ((3, 4, 4, 5), "甲羅の守り", "じしん", 2), "背中の岩に苔が生えるほど長生きしている。"),
        ("AK005", "朝焼け鳥コトリ", "B", "-", 2, ((2, 3, 3, 4), "さえずり", "朝焼けの羽", 1), "この鳥が鳴くと島に朝が来る。"),
        ("AK006", "炎獅子レオン", "F", "-", 3, ((3, 4, 5, 6), "かみつき", "炎のたてがみ", 2), "燃えるたてがみを持つ獅子。群れの王を目指している。"),
        ("AK007", "溶岩巨人ゴウエン", "B", "-", 4, ((4, 5, 5, 6), "岩石落とし", "溶岩流", 3), "火山の奥で眠っていた巨人。歩くたびに地面が溶ける。"),
        ("AK008", "紅翼竜ベニ", "F", "-", 5, ((4, 5, 6, 6), "竜の爪", "紅蓮の吐息", 4), "暁の空を翔ける紅の竜。その翼は夕日より赤い。"),
        ("AK009", "灯籠童子", "B", "-", 2, ((2, 2, 3, 3), "灯り", "迷い火", 1), "祭りの夜にだけ現れる子供。灯籠を手放すと消えてしまう。"),
        ("AK010", "鉄角牛", "F", "-", 3, ((3, 4, 4, 5), "突進", "鉄角の一撃", 2), "鉄の角で岩をも砕く牛。畑仕事も得意。"),
        ("AK011", "覇炎獅子レオン", "S", "AK006", 4, ((4, 5, 6, 6), "獅子王の咆哮", "覇炎陣", 3), "群れの王となったレオンの姿。炎獅子レオンにだけセットできる。"),
        ("AK012", "燃える魂", "S", "*", 3, ((3, 4, 5, 5), "魂の炎", "燃え尽きる一撃", 2), "どんなモンスターにも宿る熱い魂。"),
        ("AK013", "火の粉の祝福", "M", "-", 1, "1", "舞い散る火の粉が仲間を励ます。"),
        ("AK014", "大噴火", "M", "-", 4, "3", "島じゅうの火山が一度に目を覚ます。"),
        ("AK015", "朝露の癒し", "M", "-", 2, None, "朝露の一滴が傷をふさぐ。代償はいらない。"),
        ("AK016", "炎の壁", "M", "-", 2, "2", "燃えさかる壁が敵の行く手をはばむ。"),
        ("AK017", "いたずら火鼠", "F", "-", 1, ((2, 2, 3, 3), "かじる", "火花散らし", 1), "台所の火をつまみ食いする鼠。"),
        ("AK018", "日輪の守護者", "B", "-", 5, ((4, 5, 6, None), "日輪の盾", "天照らす光", 4), "太陽の神殿を守る戦士。その盾は真昼の光を宿す。"),
    ]),
    ("Kirinami", "霧波の章", "wave", [
        ("KR001", "霧ガエル", "F", "-", 1, ((2, 2, 3, 4), "舌のばし", "霧吹き", 1), "霧の朝にだけ鳴く蛙。声を聞くと雨が降る。"),
        ("KR002", "波乗りペンギン", "B", "-", 1, ((2, 3, 3, 4), "すべりこみ", "波乗り", 1), "大波を見ると乗らずにいられない。"),
        ("KR003", "泡姫ミナモ", "F", "-", 2, ((2, 3, 4, 4), "しゃぼん玉", "泡の檻", 2), "泡でできたドレスを着た小さな姫。"),
        ("KR004", "貝殻騎士", "B", "-", 2, ((3, 4, 4, 5), "貝の盾", "真珠の槍", 2), "大きな巻貝を鎧にした騎士。礼儀正しい。"),
        ("KR005", "渦巻きウナギ", "F", "-", 2, ((2, 3, 3, 4), "しめつけ", "渦潮", 2), "泳いだあとには小さな渦が残る。"),
        ("KR006", "霧の大鷲", "F", "-", 3, ((3, 4, 4, 5), "急降下", "霧払いの羽ばたき", 2), "霧の上を飛び、島々の間で手紙を運ぶ。"),
        ("KR007", "深海の番人", "B", "-", 4, ((4, 4, 5, 6), "水圧", "深淵の眼", 3), "光の届かない海の底で門を守っている。"),
        ("KR008", "蒼鱗竜ミズチ", "F", "-", 5, ((4, 5, 5, 6), "水の牙", "蒼の奔流", 4), "蒼い鱗の水竜。嵐を呼ぶとも鎮めるともいわれる。"),
        ("KR009", "雨雲ひつじ", "B", "-", 1, ((2, 2, 3, 3), "もこもこ", "にわか雨", 1), "毛を刈ると雨が降る羊。"),
        ("KR010", "潮騒の歌姫", "F", "-", 3, ((3, 3, 4, 5), "子守唄", "潮騒の歌", 2), "岩場で歌う人魚。歌を聞いた船乗りは眠ってしまう。"),
        ("KR011", "蒼海竜王ミズチ", "S", "KR008", 5, ((5, 5, 6, 6), "竜王の威光", "大海嘯", 4), "海の王となったミズチ。蒼鱗竜ミズチにだけセットできる。"),
        ("KR012", "霧纏いの衣", "S", "*", 2, ((3, 3, 4, 5), "霧の幻", "霧散", 1), "霧を織って作った衣。着た者の姿をぼかす。"),
        ("KR013", "恵みの雨", "M", "-", 1, "1", "乾いた大地に降る優しい雨。"),
        ("KR014", "大津波", "M", "-", 5, "4", "すべてを飲み込む大きな波。"),
        ("KR015", "霧隠れの術", "M", "-", 3, "2", "濃い霧に紛れて姿を隠す。"),
        ("KR016", "水鏡", "M", "-", 2, "", "静かな水面に未来が映る。"),
        ("KR017", "小魚の群れ", "F", "-", 1, ((1, 2, 3, 3), "体当たり", "群れの渦", 1), "一匹では弱いが、群れると大きな魚に見える。"),
        ("KR018", "氷柱の精", "B", "-", 3, ((3, 3, 4, 5), "つらら落とし", "凍える風", 2), "冬の洞窟に住む精霊。触れると指が凍る。"),
    ]),
    ("Tsukikage", "月影の章", "moon", [
        ("TK001", "夜光虫", "F", "-", 1, ((1, 2, 2, 3), "ひかる", "まぶしい群れ", 1), "夜の海を青く光らせる小さな虫。"),
        ("TK002", "月見うさぎ", "B", "-", 1, ((2, 2, 3, 4), "とびげり", "月の餅つき", 1), "満月の夜には必ず丘の上に集まる。"),
        ("TK003", "影猫クロ", "F", "-", 2, ((2, 3, 3, 4), "ひっかき", "影渡り", 2), "影から影へ渡り歩く黒猫。"),
        ("TK004", "墓守りの骨犬", "B", "-", 2, ((3, 3, 4, 4), "ほねかみ", "遠吠え", 2), "古い墓地を守る骨の犬。主人を今も待っている。"),
        ("TK005", "宵闇こうもり", "F", "-", 1, ((2, 2, 3, 3), "超音波", "宵闇の羽音", 1), "日が沈むと一斉に飛び立つ。"),
        ("TK006", "銀狼ギンガ", "F", "-", 3, ((3, 4, 5, 5), "銀の牙", "月下の疾走", 2), "月の光を浴びて銀色に輝く狼。"),
        ("TK007", "石像の番兵", "B", "-", 3, ((4, 4, 5, 5), "石の拳", "不動の構え", "-"), "夜になると動き出す石像。朝には元の場所に戻っている。"),
        ("TK008", "月喰い竜ノクス", "F", "-", 5, ((4, 5, 6, 6), "闇の爪", "月喰い", 5), "月を飲み込もうとする黒竜。新月の夜はこの竜のしわざ。"),
        ("TK009", "星屑の妖精", "B", "-", 2, ((2, 3, 3, 4), "星のまたたき", "星屑の粉", 1), "流れ星のかけらから生まれた妖精。"),
        ("TK010", "夢見の獏", "B", "-", 4, ((3, 4, 5, 6), "夢食い", "悪夢返し", 3), "悪い夢を食べてくれる獏。食べすぎると眠くなる。"),
        ("TK011", "新月の仮面", "S", "*", 3, ((3, 4, 5, 5), "仮面の呪い", "新月の闇", 2), "誰の顔にも合う不思議な仮面。"),
        ("TK012", "満月狼ギンガ", "S", "TK006", 4, ((4, 5, 5, 6), "満月の牙", "天狼の咆哮", 3), "満月の力を得たギンガ。銀狼ギンガにだけセットできる。"),
        ("TK013", "月光の導き", "M", "-", 1, "1", "月の光が進むべき道を照らす。"),
        ("TK014", "流れ星", "M", "-", 3, "2", "願いをひとつだけ叶えてくれる星。"),
        ("TK015", "夜の帳", "M", "-", 4, "3", "夜の帳が降りると、誰も動けなくなる。"),
        ("TK016", "影送り", "M", "-", 2, "0", "影を遠くへ送り、身代わりにする。"),
        ("TK017", "ほたる火", "F", "-", 1, ((1, 2, 2, 3), "ちらちら", "ほたるの道", "1/2"), "川辺に灯る小さな光。"),
        ("TK018", "暁と月の契り", "M", "-", 5, "5", "昼と夜が手を結ぶとき、島に奇跡が起こる。"),
    ]),
]

# identifier, name, mark, scope, description
STATUSES = [
    ("000", "行動済み", "-", "0", "このターンにすでに行動したモンスター。"),
    ("001", "きあいだめ", "!", "0", "力をためている。次の技が強くなる。"),
    ("002", "守りの盾", "S", "1", "光の盾に守られている。"),
    ("003", "鉄壁", "S", "0", "岩のように固く身を守っている。"),
    ("004", "ちからため", "P", "0", "攻撃の力が高まっている。"),
    ("005", "弱体化", "P", "1", "力が弱まっている。"),
    ("006", "どく", "X", "0", "毒に冒されている。"),
    ("007", "ねむり", "X", "0", "深い眠りについている。"),
    ("008", "まひ", "X", "1", "体がしびれて動けない。"),
    ("009", "祝福", "P", "2", "島の神々の祝福を受けている。"),
    ("010", "呪い", "X", "2", "月影の呪いがかかっている。"),
    ("011", "結界", "S", "2", "マスターの周りに結界が張られている。"),
    ("012", "見切り", "-", "1", "相手の動きを見切っている。"),
]

# file base name, display name, class digit, extra rules that are on
RULES = [
    ("見習い杯", "見習い杯", "0", ["000", "003"]),
    ("星屑杯", "星屑杯", "1", ["001", "002", "004"]),
    ("gekka", "月下大会", "2", ["006", "007"]),
]

BUILTIN_RULES = [
    ("OFFICIAL_JR", "Jrルール", "Jr"),
    ("OFFICIAL_SR", "Srルール", "Sr"),
    ("OFFICIAL_PRO", "Proルール", "Pro"),
]

EXRULE_TEXT = {
    "000": "先攻ペナルティ：初回ドローなし",
    "001": "先攻ペナルティ：ターンエンド時余ったストーンを除去",
    "002": "制限：☆５のカード使用禁止",
    "003": "制限：☆２以下のカードのみ使用可能",
    "004": "制限：ワンダーマスター使用禁止",
    "005": "制限：公式カードのみ使用可能",
    "006": "拡張：同カード４枚以上使用可能",
    "007": "拡張：捨札閲覧禁止",
}


def copies(*pairs):
    out = []
    for card, n in pairs:
        out += [card] * n
    return out


# file name, deck name, author, rule word, master, cards (in slot order)
DECKS = [
    ("hinode_jr.ini", "日の出の子ら", "ハルナ", "Jr", "MASTER000",
     copies(("AK001", 3), ("AK002", 3), ("AK003", 2), ("AK004", 3), ("AK005", 2),
            ("AK009", 2), ("AK013", 2), ("AK015", 1), ("AK017", 2))),
    ("kirinami_sr.ini", "霧波の守り", "カザネ使い", "Sr", "MASTER002",
     copies(("KR001", 2), ("KR002", 2), ("KR003", 2), ("KR004", 2), ("KR006", 2),
            ("KR007", 2), ("KR010", 2), ("KR012", 1), ("KR013", 2), ("KR015", 2),
            ("KR018", 1))),
    ("gekka_pro.ini", "月下の竜", "ヨミの従者", "Pro", "MASTER004",
     copies(("TK001", 2), ("TK002", 2), ("TK003", 2), ("TK004", 2), ("TK005", 2),
            ("TK006", 3), ("TK007", 2), ("TK008", 2), ("TK009", 2), ("TK010", 2),
            ("TK011", 1), ("TK012", 2), ("TK013", 2), ("TK014", 2), ("TK015", 1),
            ("TK018", 1))),
    # Four copies of TK017, which sorts last: breaks the three-copies limit
    # unless the rule has extra rule 006.
    ("hoshiyomi_pro.ini", "星読みの夜", "シオン", "Pro", "MASTER003",
     copies(("AK006", 2), ("AK010", 2), ("AK011", 1), ("AK012", 1), ("AK014", 1),
            ("KR006", 2), ("KR010", 2), ("KR011", 1), ("KR014", 1), ("KR008", 2),
            ("TK006", 2), ("TK010", 2), ("TK013", 3), ("TK014", 2), ("TK016", 2),
            ("TK017", 4))),
    # Only 19 cards (slot 020 is written empty): wrong card count under every rule.
    ("mayoigo_jr.ini", "迷子の寄せ集め", "ポポロ", "Jr", "MASTER006",
     copies(("AK001", 2), ("AK002", 2), ("KR001", 2), ("KR002", 2), ("KR009", 2),
            ("TK001", 2), ("TK002", 2), ("TK005", 2), ("KR013", 2), ("TK013", 1)) + [""]),
]

SETTINGS_DEFAULT_NAME = "プレイヤー"
LOBBY_HOST = "http://lobby.luminaria-online.example/"

# Cards (and masters) that get a bitmap; every other card falls back to the
# substitute picture of the field view.
PICTURED = {"MASTER000", "MASTER002", "MASTER004", "MASTER005",
            "AK001", "AK003", "AK006", "AK008", "AK011", "AK012", "AK018",
            "KR001", "KR003", "KR006", "KR008", "KR011", "KR012",
            "TK003", "TK006", "TK008", "TK010", "TK011", "TK012"}

KIND_NAME = {"F": "モンスター(F)", "B": "モンスター(B)", "S": "スーパーカード", "M": "マジック",
             "N": "ノーマルマスター", "A": "アドバンスマスター", "W": "ワンダーマスター"}
MARK_NAME = {"-": "表示なし", "!": "！マーク", "S": "Sマーク", "P": "Pマーク"}
SCOPE_NAME = {"0": "モンスターのみ", "1": "モンスターとマスター", "2": "マスターのみ"}


# ---------------------------------------------------------------------------
# Text output
# ---------------------------------------------------------------------------

def write_text(path, lines):
    """Writes lines as code page 932 with CR LF after every line."""
    text = "".join(line + CRLF for line in lines)
    data = text.encode("cp932")  # strict: an unmappable character is a bug here
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def ini_lines(sections):
    lines = []
    for i, (name, items) in enumerate(sections):
        if i:
            lines.append("")
        lines.append("[" + name + "]")
        for key, value in items:
            lines.append(key + "=" + value)
    return lines


def quoted(value):
    return '"' + value + '"'


def html_page(title, body_lines, style_extra=""):
    lines = [
        '<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">',
        '<html lang="ja">',
        "<head>",
        '<meta http-equiv="Content-Type" content="text/html; charset=Shift_JIS">',
        "<title>" + title + "</title>",
        '<style type="text/css">',
        "body { font-size: 9pt; margin: 6px; background-color: #fffdf6; color: #302820; }",
        "h1 { font-size: 11pt; color: #7a3b12; border-bottom: 1px solid #c8a070; margin: 0 0 6px 0; }",
        "ul, ol { margin-left: 0; padding-left: 16px; }",
        "h2 { font-size: 10pt; color: #4a4a7a; margin: 10px 0 4px 0; }",
        "table { border-collapse: collapse; }",
        "th, td { border: 1px solid #c8b8a0; padding: 1px 4px; font-size: 9pt; }",
        "th { background-color: #f0e6d0; }",
        ".flavor { color: #6a5a48; font-style: italic; }",
        ".small { font-size: 8pt; color: #807060; }",
    ]
    if style_extra:
        lines.append(style_extra)
    lines += ["</style>", "</head>", "<body>"] + body_lines + ["</body>", "</html>"]
    return lines


def stars(n):
    return "☆" * n if n else "－"


# ---------------------------------------------------------------------------
# Card database
# ---------------------------------------------------------------------------

def all_cards():
    for series_file, _title, motif, cards in SERIES:
        for card in cards:
            yield series_file, motif, card


def card_name(cid):
    for _s, _m, card in all_cards():
        if card[0] == cid:
            return card[1]
    for m in MASTERS:
        if m[0] == cid:
            return m[1]
    return ""


def write_cards(out):
    cdir = os.path.join(out, "system", "cards")
    write_text(os.path.join(cdir, "master.dat"),
               [",".join((mid, name, kind)) for mid, name, kind, _ab in MASTERS])

    for series_file, title, _motif, cards in SERIES:
        lines = []
        for cid, name, kind, base, _rare, _data, _text in cards:
            fields = (cid, name, kind, base)
            # The moon chapter is written the way a quoting writer would, so
            # both field forms of the list format are present in the sample.
            if series_file == "Tsukikage":
                fields = tuple(quoted(f) for f in fields)
            lines.append(",".join(fields))
        write_text(os.path.join(cdir, series_file + ".lml"), lines)

        for cid, name, kind, base, rare, data, text in cards:
            sections = [("head", [("rare", str(rare))])]
            if kind == "M":
                if data is not None:
                    sections.append(("Magic", [("Cost", data)]))
            else:
                hps, tech1, tech2, cost2 = data
                for lv in range(1, 5):
                    hp = hps[lv - 1]
                    items = [("HP", "" if hp is None else str(hp)),
                             ("1", tech1 if lv == 1 else tech1 + ("・改" if lv == 4 else "")),
                             ("2", "" if lv == 1 else tech2)]
                    if lv == 1:
                        s = "0/0/0"
                    elif isinstance(cost2, int):
                        s = "%d/%d/%d" % (lv - 1, lv, cost2 + (1 if lv == 4 else 0))
                    elif "/" in cost2:
                        s = cost2
                    else:
                        s = "%d/%d/%s" % (lv - 1, lv, cost2)
                    items.append(("S", s))
                    sections.append(("Lv%d" % lv, items))
            write_text(os.path.join(cdir, cid + ".ini"), ini_lines(sections))
            write_text(os.path.join(cdir, cid + ".html"),
                       card_page(series_file, title, cid, name, kind, base, rare, data, text))

    for mid, name, kind, abilities in MASTERS:
        items = [("count", str(len(abilities)))]
        for i, (ab, _cost) in enumerate(abilities, 1):
            items.append((str(i), ab))
        for i, (_ab, cost) in enumerate(abilities, 1):
            if cost is not None:
                items.append(("%dcost" % i, cost))
        write_text(os.path.join(cdir, mid + ".ini"), ini_lines([("MasterAbility", items)]))
        write_text(os.path.join(cdir, mid + ".html"), master_page(mid, name, kind, abilities))


def talk_link(name, line="を召喚！"):
    return '<p class="small"><a href="lmn://macro/talk/《' + name + '》' + line + '">このカードをチャットで紹介する</a></p>'


def card_page(series_file, title, cid, name, kind, base, rare, data, text):
    body = ["<h1>" + name + "</h1>",
            "<p>" + cid + "　／　" + KIND_NAME[kind] + "　／　レア度 " + stars(rare) + "</p>",
            "<p>収録：" + title + "（" + series_file + "）</p>"]
    if kind == "M":
        cost = data if data and data.isdigit() else "0"
        body.append("<p>使用コスト：ストーン " + cost + " 個</p>")
    else:
        if kind == "S":
            if base == "*":
                body.append("<p>セット先：どのモンスターにもセットできる（レベル3以上）</p>")
            else:
                body.append("<p>セット先：" + card_name(base) + "（" + base + "、レベル3以上）</p>")
        hps, tech1, tech2, cost2 = data
        body += ["<table>", "<tr><th>Lv</th><th>HP</th><th>！</th><th>●</th></tr>"]
        for lv in range(1, 5):
            hp = hps[lv - 1]
            t1 = tech1 if lv == 1 else tech1 + ("・改" if lv == 4 else "")
            t2 = "－" if lv == 1 else tech2
            body.append("<tr><td>%d</td><td>%s</td><td>%s</td><td>%s</td></tr>"
                        % (lv, "4" if hp is None else str(hp), t1, t2))
        body.append("</table>")
    body.append('<p class="flavor">' + text + "</p>")
    body.append(talk_link(name))
    return html_page(name, body)


def master_page(mid, name, kind, abilities):
    body = ["<h1>" + name + "</h1>",
            "<p>" + mid + "　／　" + KIND_NAME[kind] + "</p>"]
    if abilities:
        body += ["<h2>特技</h2>", "<table>", "<tr><th>名前</th><th>コスト</th></tr>"]
        for ab, cost in abilities:
            c = cost if cost and cost.isdigit() else "なし"
            body.append("<tr><td>●" + ab + "</td><td>" + c + "</td></tr>")
        body.append("</table>")
    else:
        body.append("<p>特技はありません。</p>")
    body.append('<p class="flavor">' + MASTER_TEXT[mid] + "</p>")
    body.append(talk_link(name, "とともに参ります！"))
    return html_page(name, body)


# ---------------------------------------------------------------------------
# Statuses
# ---------------------------------------------------------------------------

def write_statuses(out):
    sdir = os.path.join(out, "system", "state")
    write_text(os.path.join(sdir, "state.dat"),
               [",".join((quoted(sid), quoted(name), quoted(mark), scope))
                for sid, name, mark, scope, _d in STATUSES])
    for sid, name, mark, scope, desc in STATUSES:
        body = ["<h1>" + name + "</h1>",
                "<p>ステータス " + sid + "</p>",
                "<table>",
                "<tr><th>表示</th><td>" + MARK_NAME.get(mark, "Xマーク") + "</td></tr>",
                "<tr><th>対象</th><td>" + SCOPE_NAME[scope] + "</td></tr>",
                "</table>",
                "<p>" + desc + "</p>"]
        write_text(os.path.join(sdir, sid + ".html"), html_page(name, body))


# ---------------------------------------------------------------------------
# Rules, decks, settings, pages
# ---------------------------------------------------------------------------

def write_rules(out):
    rdir = os.path.join(out, "system", "rules")
    for base, name, cls, on in RULES:
        ex = [("%03d" % i, "1" if "%03d" % i in on else "0") for i in range(8)]
        write_text(os.path.join(rdir, base + ".lmr"),
                   ini_lines([("header", [("Name", name), ("class", cls)]), ("ExRule", ex)]))


def write_decks(out):
    ddir = os.path.join(out, "deck")
    for fname, name, author, rule, master, cards in DECKS:
        slots = 30 if rule == "Pro" else 20
        body = [("%03d" % (i + 1), cards[i] if i < len(cards) else "") for i in range(slots)]
        write_text(os.path.join(ddir, fname),
                   ini_lines([("header", [("name", name), ("maked", author),
                                          ("master", master), ("rule", rule)]),
                              ("body", body)]))


def write_settings(out):
    # Keys in the order the client itself saves them, so a save over this
    # file changes nothing.
    sections = [
        ("Connection", [("DefaultName", SETTINGS_DEFAULT_NAME),
                        ("GetIPURL", LOBBY_HOST + "ipaddr.php"),
                        ("GetIPfromWeb", "0"),
                        ("LobbyURL", LOBBY_HOST + "lmnlobby.php")]),
        ("General", [("AutoopenOnTurnstart", "0"), ("ManuallyTurnstart", "0"),
                     ("TurnendFunction", "0"), ("DrawCheck", "0"), ("UsePalette", "0"),
                     ("TurnEndReturn", "0"), ("AutoBackup", "0"),
                     ("AutoBackupSecurityLevel", "0")]),
        ("View", [("ChangeFieldColor", "0"), ("FieldColor", "12648384"), ("FieldSign", "0")]),
        ("Sound", [("OnJoin", ""), ("OnLeave", ""), ("OnBattleStart", ""),
                   ("OnBattleEnd", ""), ("OnTurnStart", "")]),
        ("MyMaster", [("Enabled", "0"), ("Path", "")]),
    ]
    write_text(os.path.join(out, "Lumiplay.ini"), ini_lines(sections))


def write_pages(out):
    sysdir = os.path.join(out, "system")
    body = [
        "<h1>ルミナリアOnline へようこそ</h1>",
        "<p>星輪の島々へようこそ。暁・霧波・月影の三つの島に住むモンスターを呼び出し、マスター同士で腕を競いましょう。</p>",
        "<h2>はじめる</h2>",
        "<ul>",
        '<li><a href="lmn://connect/server">サーバーを開いて対戦相手を待つ</a></li>',
        '<li><a href="lmn://connect/client">サーバーに接続する</a></li>',
        '<li><a href="lmn://connect/lobby">ロビーで待機中のサーバーを探す</a></li>',
        '<li><a href="lmn://file/deckbuilder">デッキビルダーでデッキを作る</a></li>',
        "</ul>",
        "<h2>ひとこと</h2>",
        "<ul>",
        '<li><a href="lmn://macro/talk/よろしくお願いします！">「よろしくお願いします！」と発言する</a></li>',
        '<li><a href="lmn://macro/talk/ありがとうございました。">「ありがとうございました。」と発言する</a></li>',
        # Command links carry their chat text literally, so they hold no ASCII
        # spaces a browser could escape.
        '<li><a href="lmn://macro/message/＊＊対戦相手募集中です＊＊">募集のお知らせを流す</a></li>',
        "</ul>",
        '<p class="small">カードを選ぶと、ここにカードの説明が表示されます。</p>',
    ]
    write_text(os.path.join(sysdir, "startup.html"), html_page("ルミナリアOnline", body))

    body = [
        "<h1>デッキビルダー</h1>",
        "<p>左のリストからシリーズとカードを選び、「&gt;&gt;」でデッキに加えます。</p>",
        "<ul>",
        "<li>Jr / Sr クラスのデッキは20枚、Pro クラスのデッキは30枚です。</li>",
        "<li>同じカードは3枚までにしておきましょう。</li>",
        "<li>Jr クラスではノーマルマスター、Sr・Pro クラスではアドバンスマスターかワンダーマスターを使います。</li>",
        "</ul>",
        '<p class="small">カードを選ぶと、ここにカードの説明が表示されます。</p>',
    ]
    write_text(os.path.join(sysdir, "startup_b.html"), html_page("デッキビルダー", body))

    ddir = os.path.join(sysdir, "documents")
    series_rows = ["<tr><td>" + title + "</td><td>" + f + "</td><td>%d枚</td></tr>" % len(cards)
                   for f, title, _m, cards in SERIES]
    world = [
        "<h1>星輪の島々</h1>",
        "<p>海に輪のように浮かぶ島々。朝は暁の島から日が昇り、昼は霧波の島を霧が包み、夜は月影の島に月が宿る。"
        "島に住むモンスターたちは、心を通わせたマスターの呼び声に応えて姿を現す。</p>",
        "<h2>シリーズ</h2>",
        "<table>", "<tr><th>章</th><th>ファイル</th><th>枚数</th></tr>"] + series_rows + ["</table>",
        "<h2>マスター</h2>", "<ul>"] + [
        "<li>" + name + "（" + KIND_NAME[kind] + "）</li>" for _i, name, kind, _a in MASTERS] + ["</ul>"]
    write_text(os.path.join(ddir, "world.html"), html_page("星輪の島々", world))

    rules = [
        "<h1>遊び方のてびき</h1>",
        "<h2>クラス</h2>",
        "<table>",
        "<tr><th>クラス</th><th>マスター</th><th>枚数</th></tr>",
        "<tr><td>Jr</td><td>ノーマルマスター</td><td>20枚</td></tr>",
        "<tr><td>Sr</td><td>アドバンス・ワンダーマスター</td><td>20枚</td></tr>",
        "<tr><td>Pro</td><td>アドバンス・ワンダーマスター</td><td>30枚</td></tr>",
        "</table>",
        "<h2>特殊ルール</h2>",
        "<table>", "<tr><th>番号</th><th>内容</th></tr>"] + [
        "<tr><td>" + code + "</td><td>" + text + "</td></tr>" for code, text in sorted(EXRULE_TEXT.items())] + [
        "</table>",
        "<h2>収録ルール</h2>",
        "<table>", "<tr><th>ルール</th><th>クラス</th><th>特殊ルール</th></tr>"] + [
        "<tr><td>" + name + "</td><td>" + {"0": "Jr", "1": "Sr", "2": "Pro"}[cls] + "</td><td>"
        + "<br>".join(code + " " + EXRULE_TEXT[code] for code in on) + "</td></tr>"
        for _f, name, cls, on in RULES] + [
        "</table>",
        "<h2>ターンの流れ</h2>",
        "<ol>",
        "<li>ターン開始処理でストーンを3個受け取り、カードを1枚引く。</li>",
        "<li>手札からモンスターを準備中で配置する（ストーン1個）。</li>",
        "<li>モンスターをオープンし、技を宣言する。</li>",
        "<li>ターンエンドを宣言する。</li>",
        "</ol>",
    ]
    write_text(os.path.join(ddir, "rules_guide.html"), html_page("遊び方のてびき", rules))

    decks = ["<h1>サンプルデッキ</h1>", "<table>",
             "<tr><th>ファイル</th><th>デッキ名</th><th>作者</th><th>クラス</th><th>マスター</th></tr>"]
    for fname, name, author, rule, master, _cards in DECKS:
        decks.append("<tr><td>" + fname + "</td><td>" + name + "</td><td>" + author + "</td><td>"
                     + rule + "</td><td>" + card_name(master) + "</td></tr>")
    decks += ["</table>", '<p class="small">「迷子の寄せ集め」はカードが19枚しかありません。</p>']
    write_text(os.path.join(ddir, "sample_decks.html"), html_page("サンプルデッキ", decks))


# ---------------------------------------------------------------------------
# Pictures
# ---------------------------------------------------------------------------

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)


class Canvas:
    def __init__(self, w, h, fill=WHITE):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x]

    def blit(self, src, dx, dy, sx=0, sy=0, w=None, h=None):
        w = src.w if w is None else w
        h = src.h if h is None else h
        for y in range(h):
            for x in range(w):
                self.put(dx + x, dy + y, src.px[sy + y][sx + x])


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def clamp(v):
    return max(0, min(255, int(round(v))))


def hsv(h, s, v):
    h = (h % 360) / 60.0
    i = int(h)
    f = h - i
    p, q, t = v * (1 - s), v * (1 - s * f), v * (1 - s * (1 - f))
    r, g, b = [(v, t, p), (q, v, p), (p, v, t), (p, q, v), (t, p, v), (v, p, q)][i % 6]
    return (clamp(r * 255), clamp(g * 255), clamp(b * 255))


def write_bmp(path, canvas):
    """24-bit bottom-up Windows bitmap with a BITMAPINFOHEADER."""
    row = canvas.w * 3
    pad = (4 - row % 4) % 4
    pixels = bytearray()
    for y in range(canvas.h - 1, -1, -1):
        for r, g, b in canvas.px[y]:
            pixels += bytes((b, g, r))
        pixels += b"\0" * pad
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 24, 0, len(pixels),
                       2835, 2835, 0, 0)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    magic, _size, _r1, _r2, offset = struct.unpack_from("<2sIHHI", data, 0)
    hsize, w, h, planes, bpp = struct.unpack_from("<IiiHH", data, 14)
    assert magic == b"BM" and hsize == 40 and planes == 1 and bpp == 24 and h > 0, path
    row = (w * 3 + 3) // 4 * 4
    c = Canvas(w, h)
    for y in range(h):
        base = offset + (h - 1 - y) * row
        for x in range(w):
            b, g, r = data[base + 3 * x: base + 3 * x + 3]
            c.px[y][x] = (r, g, b)
    return c


def write_png(path, canvas):
    raw = bytearray()
    for row in canvas.px:
        raw.append(0)
        for r, g, b in row:
            raw += bytes((r, g, b))

    def chunk(tag, body):
        return struct.pack(">I", len(body)) + tag + body + struct.pack(">I", zlib.crc32(tag + body))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


class Sprite:
    """A picture with coverage: opaque pixels carry a colour, the rest is
    transparent. Emitted as an image/mask pair for the SRCERASE + SRCINVERT
    pair of block copies: the mask is black where the sprite is opaque and
    white elsewhere; the image is white wherever the mask is white, so that
    (image XOR (mask AND NOT dest)) leaves the destination untouched there."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.c = [[None] * w for _ in range(h)]

    def put(self, x, y, col):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.c[y][x] = col

    def image(self):
        cv = Canvas(self.w, self.h)
        for y in range(self.h):
            for x in range(self.w):
                if self.c[y][x] is not None:
                    cv.px[y][x] = self.c[y][x]
        return cv

    def mask(self):
        cv = Canvas(self.w, self.h)
        for y in range(self.h):
            for x in range(self.w):
                if self.c[y][x] is not None:
                    cv.px[y][x] = BLACK
        return cv

    def map(self, fn):
        s = Sprite(self.w, self.h)
        for y in range(self.h):
            for x in range(self.w):
                if self.c[y][x] is not None:
                    s.c[y][x] = fn(self.c[y][x])
        return s

    def rotated(self):
        s = Sprite(self.w, self.h)
        for y in range(self.h):
            for x in range(self.w):
                s.c[self.h - 1 - y][self.w - 1 - x] = self.c[y][x]
        return s


def pair(sprite, gap=0):
    """Image at x 0, mask right of it (after an optional unused gap column)."""
    cv = Canvas(sprite.w * 2 + gap, sprite.h)
    cv.blit(sprite.image(), 0, 0)
    cv.blit(sprite.mask(), sprite.w + gap, 0)
    return cv


def in_round_rect(x, y, x0, y0, x1, y1, r):
    """Pixel centre test for a rectangle [x0,x1]x[y0,y1] with rounded corners."""
    px, py = x + 0.5, y + 0.5
    if px < x0 or px > x1 or py < y0 or py > y1:
        return False
    cx = min(max(px, x0 + r), x1 - r)
    cy = min(max(py, y0 + r), y1 - r)
    return (px - cx) ** 2 + (py - cy) ** 2 <= r * r


def coverage(fn, x, y, n=4):
    """Fraction of n*n subsamples of pixel (x, y) inside shape fn(px, py)."""
    hit = 0
    for i in range(n):
        for j in range(n):
            if fn(x + (i + 0.5) / n, y + (j + 0.5) / n):
                hit += 1
    return hit / (n * n)


def paint(sprite, fn, col, region=None):
    """Anti-aliased paint of shape fn over pixels that are already opaque."""
    for y in range(sprite.h):
        for x in range(sprite.w):
            base = sprite.c[y][x]
            if base is None:
                continue
            if region and not (region[0] <= x < region[2] and region[1] <= y < region[3]):
                continue
            a = coverage(fn, x, y)
            if a > 0:
                c = col(x, y) if callable(col) else col
                sprite.c[y][x] = mix(base, c, a)


def polygon(points):
    def inside(px, py):
        n = len(points)
        res = False
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                res = not res
            j = i
        return res
    return inside


def circle(cx, cy, r):
    return lambda px, py: (px - cx) ** 2 + (py - cy) ** 2 <= r * r


def star_points(cx, cy, ro, ri, n=5, rot=-90):
    import math
    pts = []
    for k in range(2 * n):
        r = ro if k % 2 == 0 else ri
        a = math.radians(rot + k * 180.0 / n)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def motif_shape(motif, variant):
    """Central emblem of a card picture, in a 32 x 32 frame."""
    import math
    if motif == "sun":
        if variant % 2 == 0:
            rays = []
            for k in range(8):
                a = math.radians(k * 45 + 22.5)
                rays.append(polygon([(16 + 4 * math.cos(a - 0.35), 15 + 4 * math.sin(a - 0.35)),
                                     (16 + 10.5 * math.cos(a), 15 + 10.5 * math.sin(a)),
                                     (16 + 4 * math.cos(a + 0.35), 15 + 4 * math.sin(a + 0.35))]))
            core = circle(16, 15, 5.5)
            return lambda px, py: core(px, py) or any(r(px, py) for r in rays)
        flame = polygon([(16, 5), (21, 12), (22, 18), (19, 23), (13, 23), (10, 18), (11, 12), (14, 14)])
        return flame
    if motif == "wave":
        if variant % 2 == 0:
            drop = circle(16, 18, 6)
            tip = polygon([(16, 5), (21.3, 15.5), (10.7, 15.5)])
            return lambda px, py: drop(px, py) or tip(px, py)

        def wave(px, py):
            # two stacked swells, the upper one a little thicker
            if not 6 <= px <= 26:
                return False
            swell = 3.2 * math.sin((px - 6) / 3.2)
            return abs(py - (13 + swell)) <= 2.5 or abs(py - (19 + swell)) <= 2
        return wave
    if motif == "moon":
        if variant % 2 == 0:
            outer = circle(16, 15, 8.5)
            inner = circle(19.5, 12.5, 7)
            return lambda px, py: outer(px, py) and not inner(px, py)
        return polygon(star_points(16, 15.5, 9.5, 4))
    if motif == "crown":
        return polygon([(7, 21), (7, 10), (11.5, 15), (16, 7), (20.5, 15), (25, 10), (25, 21)])
    raise ValueError(motif)


KIND_FRAME = {"F": (196, 72, 40), "B": (52, 96, 168), "S": (200, 160, 40), "M": (48, 140, 80),
              "N": (120, 84, 160), "A": (120, 84, 160), "W": (150, 40, 120)}
MOTIF_HUE = {"sun": 22, "wave": 200, "moon": 255, "crown": 290}


def card_sprite(motif, kind, index, rare):
    hue = MOTIF_HUE[motif] + (index * 23) % 50 - 25
    frame = KIND_FRAME[kind]
    s = Sprite(32, 32)
    top, bottom = hsv(hue, 0.25, 1.0), hsv(hue + 20, 0.55, 0.78)
    for y in range(32):
        for x in range(32):
            if in_round_rect(x, y, 0, 0, 32, 32, 4):
                s.c[y][x] = mix(top, bottom, y / 31.0)
    border = lambda px, py: not (1.6 <= px <= 30.4 and 1.6 <= py <= 30.4) or \
        (px - 4.5) ** 2 + (py - 4.5) ** 2 > 2.9 ** 2 and px < 4.5 and py < 4.5 or \
        (px - 27.5) ** 2 + (py - 4.5) ** 2 > 2.9 ** 2 and px > 27.5 and py < 4.5 or \
        (px - 4.5) ** 2 + (py - 27.5) ** 2 > 2.9 ** 2 and px < 4.5 and py > 27.5 or \
        (px - 27.5) ** 2 + (py - 27.5) ** 2 > 2.9 ** 2 and px > 27.5 and py > 27.5
    paint(s, border, frame)
    shape = motif_shape(motif, index)
    glow = hsv(hue + 180 if kind == "M" else hue, 0.85, 0.95)
    # soft shadow first, then the emblem with a light-to-dark fill
    paint(s, lambda px, py: shape(px - 1, py - 1), mix(bottom, BLACK, 0.35))
    paint(s, shape, lambda x, y: mix(hsv(hue + 10, 0.35, 1.0), glow, min(1.0, y / 24.0)))
    if kind == "S":
        # super cards carry a small golden star in the corner
        paint(s, polygon(star_points(26, 6, 3.6, 1.5)), (255, 214, 60))
    # rarity pips along the bottom edge
    for k in range(rare):
        cx = 16 - (rare - 1) * 2.5 + k * 5
        paint(s, circle(cx, 26.5, 1.6), (255, 240, 160) if rare >= 4 else (255, 255, 255))
    return s


def acted(sprite):
    """The darker, washed-out look of a monster that has acted."""
    def fn(c):
        grey = (c[0] * 30 + c[1] * 59 + c[2] * 11) // 100
        return mix((grey, grey, grey), (40, 40, 60), 0.35)
    return sprite.map(fn)


def card_sheet(sprite):
    """128 x 64: row 0 the local side, row 1 turned round for the other side;
    columns image, mask, acted image, acted mask."""
    cv = Canvas(128, 64)
    for row, sp in ((0, sprite), (32, sprite.rotated())):
        cv.blit(sp.image(), 0, row)
        cv.blit(sp.mask(), 32, row)
        cv.blit(acted(sp).image(), 64, row)
        cv.blit(acted(sp).mask(), 96, row)
    return cv


QUESTION = ["01110",
            "10001",
            "00001",
            "00010",
            "00100",
            "00000",
            "00100"]


def substitute_sprite():
    s = Sprite(32, 32)
    for y in range(32):
        for x in range(32):
            if in_round_rect(x, y, 0, 0, 32, 32, 4):
                s.c[y][x] = mix((236, 236, 236), (176, 176, 184), y / 31.0)
    paint(s, lambda px, py: not (1.6 <= px <= 30.4 and 1.6 <= py <= 30.4), (110, 110, 120))
    for gy, line in enumerate(QUESTION):
        for gx, ch in enumerate(line):
            if ch == "1":
                for dy in range(3):
                    for dx in range(3):
                        s.put(9 + gx * 3 + dx, 5 + gy * 3 + dy, (90, 90, 110))
    return s


def standby_sprite():
    s = Sprite(32, 32)
    for y in range(32):
        for x in range(32):
            if in_round_rect(x, y, 0, 0, 32, 32, 4):
                lattice = ((x + y) // 4 + (x - y + 64) // 4) % 2
                s.c[y][x] = (34, 42, 96) if lattice else (44, 56, 120)
    paint(s, lambda px, py: not (1.6 <= px <= 30.4 and 1.6 <= py <= 30.4), (212, 176, 80))
    paint(s, polygon(star_points(16, 16.5, 8, 3.4, n=8, rot=-90)), (236, 208, 112))
    paint(s, circle(16, 16.5, 2.2), (255, 248, 220))
    return s


def empty_area_sprite(col):
    """Only corner brackets and a faint dotted outline: the field colour
    shows through the middle."""
    s = Sprite(32, 32)
    for y in range(32):
        for x in range(32):
            edge = x in (0, 31) or y in (0, 31)
            corner = (x < 7 or x > 24) and (y < 7 or y > 24)
            bracket = corner and (x in (0, 1, 30, 31) or y in (0, 1, 30, 31))
            if bracket:
                s.c[y][x] = col
            elif edge and (x + y) % 3 == 0:
                s.c[y][x] = mix(col, WHITE, 0.35)
    # a small faint emblem in the middle marks the area
    for (x, y) in [(15, 15), (16, 15), (15, 16), (16, 16), (14, 15), (17, 16), (15, 14), (16, 17)]:
        s.c[y][x] = mix(col, WHITE, 0.5)
    return s


def indicator_sprite():
    s = Sprite(48, 16)
    for y in range(16):
        for x in range(48):
            if in_round_rect(x, y, 0, 0, 48, 16, 3):
                s.c[y][x] = mix((255, 252, 236), (236, 226, 196), y / 15.0)
    paint(s, lambda px, py: not (1.2 <= px <= 46.8 and 1.2 <= py <= 14.8), (150, 112, 70))
    return s


def stone_sprite(full):
    gem = polygon([(3.5, 0.3), (6.7, 2.6), (6.7, 6.4), (3.5, 8.7), (0.3, 6.4), (0.3, 2.6)])
    s = Sprite(7, 9)
    for y in range(9):
        for x in range(7):
            if coverage(gem, x, y) >= 0.5:
                s.c[y][x] = (60, 150, 220) if full else (200, 200, 200)
    if full:
        paint(s, lambda px, py: px + py < 6.5, (150, 220, 255))
        paint(s, lambda px, py: px > 4 and py > 5, (30, 90, 170))
        s.put(2, 2, WHITE)
    else:
        inner = polygon([(3.5, 1.6), (5.6, 3.1), (5.6, 5.9), (3.5, 7.4), (1.4, 5.9), (1.4, 3.1)])
        for y in range(9):
            for x in range(7):
                if s.c[y][x] is not None and coverage(inner, x, y) > 0.5:
                    s.c[y][x] = None
        # a hollow stone: the outline only, slightly darker
        s = s.map(lambda c: (140, 140, 150))
    return s


def hand_sprite():
    s = Sprite(7, 9)
    for y in range(1, 9):
        for x in range(0, 5):
            s.put(x, y, (230, 120, 60) if x in (0, 4) or y in (1, 8) else (255, 230, 200))
    for y in range(0, 8):
        for x in range(2, 7):
            s.put(x, y, (60, 110, 200) if x in (2, 6) or y in (0, 7) else (220, 235, 255))
    return s


def deck_sprite():
    s = Sprite(7, 9)
    for k, y0 in enumerate((2, 1, 0)):
        for y in range(y0, y0 + 7):
            for x in range(k, k + 5):
                border = x in (k, k + 4) or y in (y0, y0 + 6)
                s.put(x, y, (40, 50, 110) if border else (90, 100, 170))
    s.put(4, 3, (236, 208, 112))
    return s


def write_pictures(out, preview=None):
    bdir = os.path.join(out, "system", "basepic")
    sheets = {
        "stone.bmp": pair(stone_sprite(True)),
        "stone_blank.bmp": pair(stone_sprite(False)),
        "hand.bmp": pair(hand_sprite(), gap=1),
        "deck.bmp": pair(deck_sprite()),
        "field_a.bmp": pair(empty_area_sprite((40, 110, 60))),
        "field_b.bmp": pair(empty_area_sprite((150, 60, 50))),
        "standby.bmp": pair(standby_sprite()),
        "indicator.bmp": pair(indicator_sprite()),
        "object.bmp": card_sheet(substitute_sprite()),
    }
    for name, cv in sheets.items():
        write_bmp(os.path.join(bdir, name), cv)

    cdir = os.path.join(out, "system", "cards")
    pics = {}
    for _series, motif, card in all_cards():
        cid, _name, kind, _base, rare = card[:5]
        if cid in PICTURED:
            pics[cid] = card_sheet(card_sprite(motif, kind, int(cid[2:]), rare))
    for i, (mid, _name, kind, _ab) in enumerate(MASTERS):
        if mid in PICTURED:
            pics[mid] = card_sheet(card_sprite("crown", kind, i * 3, 0))
    for cid, cv in pics.items():
        write_bmp(os.path.join(cdir, cid + ".bmp"), cv)

    if preview:
        os.makedirs(preview, exist_ok=True)
        for name, cv in list(sheets.items()) + [(k + ".bmp", v) for k, v in pics.items()]:
            write_png(os.path.join(preview, name[:-4] + ".png"), zoom(cv, 4))
        write_png(os.path.join(preview, "field.png"), zoom(field_preview(out), 3))


def zoom(cv, k):
    z = Canvas(cv.w * k, cv.h * k)
    for y in range(z.h):
        for x in range(z.w):
            z.px[y][x] = cv.px[y // k][x // k]
    return z


# Sprite sheet layout of the field view: file, place on the sheet.
SHEET = [("stone.bmp", 0, 0), ("stone_blank.bmp", 14, 0), ("hand.bmp", 28, 0), ("deck.bmp", 43, 0),
         ("field_a.bmp", 0, 9), ("field_b.bmp", 64, 9), ("standby.bmp", 192, 9),
         ("indicator.bmp", 0, 41), ("object.bmp", 0, 57)]


def draw_sprite(dest, src, ix, iy, mx, my, w, h, dx, dy):
    """The field view's pair of block copies: SRCERASE with the mask, then
    SRCINVERT with the image."""
    for y in range(h):
        for x in range(w):
            tx, ty = dx + x, dy + y
            if not (0 <= tx < dest.w and 0 <= ty < dest.h):
                continue
            d = dest.px[ty][tx]
            m = src.px[my + y][mx + x]
            d = tuple(m[i] & (~d[i] & 255) for i in range(3))
            im = src.px[iy + y][ix + x]
            dest.px[ty][tx] = tuple(im[i] ^ d[i] for i in range(3))


def field_preview(out):
    """A rough field, drawn only with the two raster operations, to see that
    images and masks fit together over the default field colour."""
    sheet = Canvas(321, 201, BLACK)
    for name, x, y in SHEET:
        sheet.blit(read_bmp(os.path.join(out, "system", "basepic", name)), x, y)
    field = Canvas(337, 217, (0xC0, 0xFF, 0xC0))
    for i in range(10):
        full = i < 7
        draw_sprite(field, sheet, 0 if full else 14, 0, 7 if full else 21, 0, 7, 9, 20 + 7 * i, 5)
        draw_sprite(field, sheet, 0 if i < 5 else 14, 0, 7 if i < 5 else 21, 0, 7, 9, 259 + 7 * i, 197)
    draw_sprite(field, sheet, 28, 0, 36, 0, 7, 9, 5, 180)
    draw_sprite(field, sheet, 43, 0, 50, 0, 7, 9, 5, 168)
    # opponent areas 1..4 and own areas 1..4
    places_enemy = [(193, 70), (109, 70), (193, 28), (109, 28)]
    places_own = [(109, 112), (193, 112), (109, 154), (193, 154)]
    for (x, y) in places_enemy[2:]:
        draw_sprite(field, sheet, 64, 9, 96, 9, 32, 32, x, y)
    draw_sprite(field, sheet, 192, 9, 224, 9, 32, 32, *places_enemy[1])
    card = read_bmp(os.path.join(out, "system", "cards", "TK008.bmp"))
    draw_sprite(field, card, 0, 32, 32, 32, 32, 32, *places_enemy[0])
    draw_sprite(field, sheet, 0, 41, 48, 41, 48, 16, 230, 86)
    for k, (cid, actedcol) in enumerate([("AK006", 0), ("KR003", 64), (None, 0)]):
        x, y = places_own[k]
        if cid:
            c = read_bmp(os.path.join(out, "system", "cards", cid + ".bmp"))
            draw_sprite(field, c, actedcol, 0, actedcol + 32, 0, 32, 32, x, y)
        else:
            draw_sprite(field, sheet, actedcol, 57, actedcol + 32, 57, 32, 32, x, y)
    draw_sprite(field, sheet, 0, 9, 32, 9, 32, 32, *places_own[3])
    m = read_bmp(os.path.join(out, "system", "cards", "MASTER004.bmp"))
    draw_sprite(field, m, 0, 32, 32, 32, 32, 32, 151, 70)
    m = read_bmp(os.path.join(out, "system", "cards", "MASTER000.bmp"))
    draw_sprite(field, m, 0, 0, 32, 0, 32, 32, 151, 112)
    return field


# ---------------------------------------------------------------------------
# Read-back checks and the expected deck verdicts
# ---------------------------------------------------------------------------

def read_text(path):
    with open(path, "rb") as f:
        data = f.read()
    text = data.decode("cp932")
    assert text.endswith(CRLF), path + ": last line must end in CR LF"
    assert "\n" not in text.replace(CRLF, ""), path + ": bare line feed"
    assert "\r" not in text.replace(CRLF, ""), path + ": bare carriage return"
    return text


def read_fields_of(line):
    """Fields separated by commas, optionally quoted (no field of the sample
    holds a comma)."""
    fields = []
    for f in line.split(","):
        f = f.lstrip(" \t")
        if len(f) >= 2 and f[0] == '"' and f[-1] == '"':
            f = f[1:-1]
        assert '"' not in f, line
        fields.append(f)
    return fields


def records(path, n):
    """The loaders only count fields; the sample keeps one whole record per line."""
    out = []
    for no, line in enumerate(read_text(path).split(CRLF)[:-1], 1):
        fields = read_fields_of(line)
        assert len(fields) == n, "%s:%d: %d fields, %d wanted" % (path, no, len(fields), n)
        assert all(fields), "%s:%d: empty field" % (path, no)
        out.append(fields)
    return out


VOID_TAGS = {"meta", "br", "img", "hr", "link", "input"}


class PageChecker(html.parser.HTMLParser):
    """Tags properly nested and closed, the Shift_JIS charset declared, links
    either command links or pages of the installation."""

    def __init__(self, path):
        super().__init__(convert_charrefs=True)
        self.path, self.stack, self.charset = path, [], False

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "meta" and "charset=Shift_JIS" in (attrs.get("content") or ""):
            self.charset = True
        if tag == "a":
            href = attrs.get("href", "")
            assert href.startswith("lmn://") and " " not in href, (self.path, href)
        if tag not in VOID_TAGS:
            self.stack.append(tag)

    def handle_endtag(self, tag):
        assert self.stack and self.stack[-1] == tag, (self.path, tag, self.stack)
        self.stack.pop()

    def check(self, text):
        assert text.startswith("<!DOCTYPE HTML"), self.path
        self.feed(text)
        self.close()
        assert not self.stack and self.charset, self.path


def check_page(path):
    PageChecker(path).check(read_text(path))


def read_ini(path):
    sections = {}
    cur = None
    for line in read_text(path).split(CRLF)[:-1]:
        if line.startswith("[") and line.endswith("]"):
            cur = sections.setdefault(line[1:-1].lower(), {})
        elif "=" in line:
            k, v = line.split("=", 1)
            assert cur is not None, path
            cur[k.lower()] = v
        else:
            assert line == "", path + ": stray line " + repr(line)
    return sections


class Database:
    def __init__(self, out):
        cdir = os.path.join(out, "system", "cards")
        self.masters = [(r[0], r[1], {"N": 0, "A": 1, "W": 2}.get(r[2], 0))
                        for r in records(os.path.join(cdir, "master.dat"), 3)]
        self.series = []
        for fname in sorted(f for f in os.listdir(cdir) if f.endswith(".lml")):
            cards = []
            for cid, name, kind, base in records(os.path.join(cdir, fname), 4):
                ini = read_ini(os.path.join(cdir, cid + ".ini"))
                rare = ini.get("head", {}).get("rare", "")
                cards.append((cid, name, {"F": 0, "B": 1, "S": 2, "M": 3}.get(kind, 0), base,
                              int(rare) if rare.isdigit() else 0))
            self.series.append((fname[:-4], cards))

    def index(self, cid):
        for si, (_n, cards) in enumerate(self.series):
            for ci, c in enumerate(cards):
                if c[0] == cid:
                    return (si, ci)
        for mi, m in enumerate(self.masters):
            if m[0] == cid:
                return (-1, mi)
        return None

    def name(self, cid):
        pos = self.index(cid)
        if pos is None:
            return ""
        return self.masters[pos[1]][1] if pos[0] < 0 else self.series[pos[0]][1][pos[1]][1]


def load_deck(db, path):
    ini = read_ini(path)
    head, body = ini.get("header", {}), ini.get("body", {})
    rule = head.get("rule", "").lower()
    slots = 30 if rule == "pro" else 20
    master = head.get("master", "")
    if not db.name(master):
        master = db.masters[0][0]
    cards = []
    for i in range(1, slots + 1):
        v = body.get("%03d" % i, "")
        cards.append(v if db.name(v) else "")
    return master, cards


def rule_text(out, ident):
    for bid, name, cls in BUILTIN_RULES:
        if ident == bid:
            return "Name:" + name + CRLF + "Class:" + cls + CRLF + "ExRule:" + CRLF
    path = os.path.join(out, "system", "rules", ident + ".lmr")
    ini = read_ini(path) if os.path.exists(path) else {}
    name = ini.get("header", {}).get("name", "")
    if not name:
        return rule_text(out, "OFFICIAL_JR")
    cls = {"1": "Sr", "2": "Pro"}.get(ini["header"].get("class", ""), "Jr")
    ex = ini.get("exrule", {})
    codes = "/".join("%03d" % i for i in range(11) if ex.get("%03d" % i, "") == "1")
    return "Name:" + name + CRLF + "Class:" + cls + CRLF + "ExRule:" + codes + CRLF


def line_value(text, key):
    at = text.find(key)
    if at < 0:
        return ""
    end = text.find(CRLF, at)
    if end < 0:
        return ""
    stretch = text[at:end]
    return stretch.split(":", 1)[1] if ":" in stretch else stretch


def regulation_check(db, rule, master, cards):
    cards = sorted(c for c in cards if c)
    codes = line_value(rule, "ExRule")
    msgs = []
    pos = db.index(master)
    if pos is None:
        msgs.append("Error:カードデータを参照できません。")
        mkind = 0
    else:
        mkind = db.masters[pos[1]][2]
    max_same, run, prev, max_rare = 0, 0, None, 0
    for c in cards:
        run = run + 1 if c == prev else 1
        prev = c
        max_same = max(max_same, run)
        p = db.index(c)
        if p is None:
            msgs.append("Error:カードデータを参照できません。")
        elif p[0] >= 0:
            max_rare = max(max_rare, db.series[p[0]][1][p[1]][4])
    if max_same > 3 and "006" not in codes:
        msgs.append("同じカードが４枚以上あります。")
    if "002" in codes and max_rare > 4:
        msgs.append("☆5のカードが含まれています。")
    if "003" in codes and max_rare > 2:
        msgs.append("☆3以上のカードが含まれています。")
    if "004" in codes and mkind == 2:
        msgs.append("ワンダーマスターは使用禁止です。")
    cls = line_value(rule, "Class").upper()
    want = {"JR": 20, "SR": 20, "PRO": 30}.get(cls)
    if want is None:
        msgs.append("Error:対象となるレギュレーションが見つかりません。")
    else:
        if (mkind != 0) if cls == "JR" else (mkind == 0):
            msgs.append("マスターがレギュレーション外です。")
        if len(cards) != want:
            msgs.append("デッキに含まれるカードの枚数が違います。")
    return msgs


def check(out):
    db = Database(out)
    cdir = os.path.join(out, "system", "cards")
    ids = [m[0] for m in db.masters] + [c[0] for _n, cs in db.series for c in cs]
    assert len(ids) == len(set(ids)), "card identifiers are not unique"
    assert len(db.masters) >= 6 and {m[2] for m in db.masters} == {0, 1, 2}
    cards = [c for _n, cs in db.series for c in cs]
    assert len(db.series) == 3 and len(cards) >= 50
    assert {c[2] for c in cards} == {0, 1, 2, 3}
    assert {c[4] for c in cards} == {1, 2, 3, 4, 5}
    supers = [c for c in cards if c[2] == 2]
    assert any(c[3] == "*" for c in supers)
    assert all(c[3] == "*" or db.index(c[3]) for c in supers)
    assert any(c[3] != "*" for c in supers)
    for cid in ids:
        for ext in (".ini", ".html"):
            assert os.path.exists(os.path.join(cdir, cid + ext)), cid + ext
            if ext == ".html":
                check_page(os.path.join(cdir, cid + ext))
    for cid, _n, kind, _b, _r in cards:
        ini = read_ini(os.path.join(cdir, cid + ".ini"))
        if kind != 3:
            assert all("lv%d" % lv in ini for lv in range(1, 5)), cid

    sdir = os.path.join(out, "system", "state")
    st = records(os.path.join(sdir, "state.dat"), 4)
    sids = [r[0] for r in st]
    assert len(st) >= 10 and len(sids) == len(set(sids)) and sids[:2] == ["000", "001"]
    assert {r[2] for r in st} >= {"-", "!", "S", "P"} and {r[2] for r in st} - {"-", "!", "S", "P"}
    assert {r[3] for r in st} == {"0", "1", "2"}
    for sid in sids:
        check_page(os.path.join(sdir, sid + ".html"))

    for f in ("startup.html", "startup_b.html"):
        check_page(os.path.join(out, "system", f))
    docs = os.listdir(os.path.join(out, "system", "documents"))
    assert docs and all(f.endswith(".html") for f in docs)
    for f in docs:
        check_page(os.path.join(out, "system", "documents", f))
    read_ini(os.path.join(out, "Lumiplay.ini"))

    for name, _x, _y in SHEET:
        read_bmp(os.path.join(out, "system", "basepic", name))
    for f in os.listdir(cdir):
        if f.endswith(".bmp"):
            b = read_bmp(os.path.join(cdir, f))
            assert (b.w, b.h) == (128, 64) and db.index(f[:-4]), f

    rules = [r[0] for r in BUILTIN_RULES] + sorted(f[:-4] for f in os.listdir(
        os.path.join(out, "system", "rules")) if f.endswith(".lmr"))
    table = []
    for fname, _name, _author, rule, master, listed in DECKS:
        path = os.path.join(out, "deck", fname)
        m, slots = load_deck(db, path)
        assert m == master, fname + ": master not in the database"
        assert [c for c in slots if c] == [c for c in listed if c], fname + ": unknown card"
        assert len(slots) == (30 if rule == "Pro" else 20)
        table.append((fname, [(r, regulation_check(db, rule_text(out, r), m, slots)) for r in rules]))
    intended = {"hinode_jr.ini": ["OFFICIAL_JR", "見習い杯"],
                "kirinami_sr.ini": ["OFFICIAL_SR", "星屑杯"],
                "gekka_pro.ini": ["OFFICIAL_PRO", "gekka"],
                "hoshiyomi_pro.ini": ["gekka"],
                "mayoigo_jr.ini": []}
    for fname, verdicts in table:
        valid = [r for r, msgs in verdicts if not msgs]
        assert valid == intended[fname], (fname, valid)
    return table


def print_table(table):
    for fname, verdicts in table:
        print(fname)
        for r, msgs in verdicts:
            print("  %-13s %s" % (r, " + ".join(msgs) if msgs else "(valid)"))


def generated_files(root):
    files = {}
    for sub in ("system", "deck"):
        for folder, _dirs, names in os.walk(os.path.join(root, sub)):
            for n in names:
                path = os.path.join(folder, n)
                files[os.path.relpath(path, root)] = path
    files["Lumiplay.ini"] = os.path.join(root, "Lumiplay.ini")
    return files


def verify(out):
    """Regenerates into a scratch folder and compares byte for byte with out."""
    with tempfile.TemporaryDirectory() as tmp:
        generate(tmp)
        want, have = generated_files(tmp), generated_files(out)
        bad = sorted(set(want) ^ set(have))
        for rel in sorted(set(want) & set(have)):
            if not os.path.exists(have[rel]):
                bad.append(rel)
                continue
            with open(want[rel], "rb") as a, open(have[rel], "rb") as b:
                if a.read() != b.read():
                    bad.append(rel)
    for rel in bad:
        print("differs: " + rel)
    return not bad


def generate(out, preview=None):
    # Start from scratch so that nothing of an earlier run lingers.
    for sub in ("system", "deck"):
        shutil.rmtree(os.path.join(out, sub), ignore_errors=True)
    write_cards(out)
    write_statuses(out)
    write_rules(out)
    write_decks(out)
    write_settings(out)
    write_pages(out)
    write_pictures(out, preview)
    return check(out)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", default=DEFAULT_OUT)
    ap.add_argument("--preview", help="also write zoomed PNG previews into this folder")
    ap.add_argument("--table", action="store_true", help="print the expected deck verdicts")
    ap.add_argument("--verify", action="store_true",
                    help="only check that the files in --out are what this generator writes")
    args = ap.parse_args()
    if args.verify:
        return 0 if verify(args.out) else 1
    table = generate(args.out, args.preview)
    if args.table:
        print_table(table)
    return 0


if __name__ == "__main__":
    sys.exit(main())
