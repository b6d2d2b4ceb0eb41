#!/usr/bin/env bash
# Makes the fuzz targets' seed corpora: small files made by the tools the
# users' files come from (sox, lame, ffmpeg, oggenc, id3v2) and hand-built edge
# cases, one folder per target. Nothing binary is kept in git: the seeds are
# made here, once; a second run with the folder present does nothing.
# Usage: tools/fuzz-seeds.sh [folder]   (default build/fuzz/seeds)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="${1:-$root/build/fuzz/seeds}"
[ -f "$out/.made" ] && exit 0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -rf "$out"
mkdir -p "$out"
q=(-hide_banner -loglevel error -nostdin -y)

# Tool-made sound, short so each seed stays well under the targets' 64 KiB.
sox -n -r 8000 -c 1 -b 16 "$work/pcm16-mono-8k.wav" synth 0.2 sine 440
sox -n -r 22050 -c 2 -b 8 "$work/pcm8-stereo-22k.wav" synth 0.1 sine 440 sine 660
sox -n -r 44100 -c 2 -b 16 "$work/pcm16-stereo-44k.wav" synth 0.05 sine 440
sox -n -r 8000 -c 1 -e a-law "$work/alaw.wav" synth 0.2 sine 300
sox -n -r 8000 -c 1 -e u-law "$work/mulaw.wav" synth 0.2 sine 300
sox -n -r 48000 -c 1 -b 24 "$work/pcm24.wav" synth 0.05 sine 440
sox -n -r 11025 -c 1 -b 16 "$work/tone-11k.wav" synth 0.5 sine 500

lame --quiet -b 32 "$work/pcm16-mono-8k.wav" "$work/cbr-8k.mp3"
lame --quiet -V 9 "$work/tone-11k.wav" "$work/vbr-11k.mp3"
lame --quiet -t -b 64 "$work/pcm16-stereo-44k.wav" "$work/notag-44k.mp3"
cp "$work/cbr-8k.mp3" "$work/tagged-v23.mp3"
id3v2 --id3v2-only -t "标题" -a "Artist" -A "Album" -y 2008 -c "comment" -g 12 "$work/tagged-v23.mp3"
cp "$work/cbr-8k.mp3" "$work/tagged-v1.mp3"
id3v2 --id3v1-only -t "Title" -a "Artist" -T 3 "$work/tagged-v1.mp3"
cp "$work/vbr-11k.mp3" "$work/tagged-both.mp3"
id3v2 -t "Both" -a "Tags" --TCOP "2008 someone" "$work/tagged-both.mp3"

ffmpeg "${q[@]}" -i "$work/tone-11k.wav" -c:a wmav2 -b:a 32k -metadata title="歌名" \
    -metadata author="歌手" -f asf "$work/wmav2.wma"
ffmpeg "${q[@]}" -i "$work/pcm16-mono-8k.wav" -c:a wmav1 -f asf "$work/wmav1.asf"
ffmpeg "${q[@]}" -i "$work/tone-11k.wav" -c:a libmp3lame -b:a 32k -f asf "$work/mp3-in.asf"
oggenc --quiet -q 0 -o "$work/tone.ogg" "$work/tone-11k.wav"

# Hand-built edge cases.
python3 - "$work" <<'PY'
import struct, sys
w = sys.argv[1]

def put(name, data):
    open(f"{w}/{name}", "wb").write(data)

def chunk(cid, body):
    return cid + struct.pack("<I", len(body)) + body

def fmt(tag=1, ch=1, rate=8000, bits=16, align=None, byterate=None, extra=b""):
    align = ch * bits // 8 if align is None else align
    byterate = rate * align if byterate is None else byterate
    return chunk(b"fmt ", struct.pack("<HHIIHH", tag, ch, rate, byterate, align, bits) + extra)

def riff(*chunks):
    body = b"WAVE" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body

samples = bytes(range(256)) * 4
put("wav-list-before-fmt.wav", riff(chunk(b"LIST", b"INFOISFT" + b"\x04\0\0\0zuvo"),
                                    fmt(), chunk(b"data", samples)))
put("wav-fmt-after-data.wav", riff(fmt(), chunk(b"data", samples), fmt(tag=0xFFFE, ch=2)))
put("wav-two-pairs.wav", riff(fmt(), chunk(b"data", samples), fmt(ch=2, bits=8),
                              chunk(b"data", samples)))
put("wav-no-data.wav", riff(fmt()))
put("wav-data-size-past-end.wav", riff(fmt()) + b"data" + struct.pack("<I", 0xFFFFFFF0) + samples)
put("wav-odd-chunk.wav", riff(chunk(b"junk", b"x"), fmt(), chunk(b"data", samples)))
put("wav-extensible.wav", riff(fmt(tag=0xFFFE, ch=2, rate=44100, bits=16,
                                   extra=struct.pack("<HHHI", 22, 16, 3, 3) + b"\0" * 16),
                               chunk(b"data", samples)))
put("wav-rate-1.wav", riff(fmt(rate=1), chunk(b"data", samples)))
put("wav-rate-huge.wav", riff(fmt(ch=1, bits=8, rate=4000000000 // 1), chunk(b"data", samples)))
put("wav-empty-data.wav", riff(fmt(), chunk(b"data", b"")))
put("wav-riff-only.wav", b"RIFF\0\0\0\0WAVE")

def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])

def frame23(fid, body, flags=0):
    return fid + struct.pack(">IH", len(body), flags) + body

def frame24(fid, body, flags=0):
    return fid + syncsafe(len(body)) + struct.pack(">H", flags) + body

def tag(version, frames, flags=0):
    return b"ID3" + bytes([version, 0, flags]) + syncsafe(len(frames)) + frames

mpeg = bytes.fromhex("fffb9064") + b"\0" * 413
text = frame23(b"TIT2", b"\0Title") + frame23(b"TPE1", b"\0\xb8\xe8\xca\xd6")
put("id3-v23-text.mp3", tag(3, text) + mpeg * 4)
put("id3-v24-text.mp3", tag(4, frame24(b"TIT2", b"\3Title \xe6\xa0\x87") +
                          frame24(b"TCOP", b"\0(c)")) + mpeg * 4)
put("id3-v22.mp3", tag(2, b"TT2" + struct.pack(">I", 6)[1:] + b"\0Title") + mpeg * 4)
put("id3-comm-latin1.mp3", tag(3, frame23(b"COMM", b"\0eng\0note")) + mpeg * 4)
put("id3-comm-utf16.mp3", tag(3, frame23(b"COMM", b"\1eng\xff\xfed\0\0\0\xff\xfen\0")) + mpeg * 4)
put("id3-padding.mp3", tag(3, text + b"\0" * 64) + mpeg * 4)
put("id3-unsync-flag.mp3", tag(3, text, flags=0x80) + mpeg * 4)
put("id3-ext-header.mp3", tag(3, struct.pack(">IHI", 6, 0, 0) + text, flags=0x40) + mpeg * 4)
put("id3-chained.mp3", tag(3, text) + tag(3, frame23(b"TALB", b"\0Album")) + mpeg * 4)
put("id3-compressed-frame.mp3", tag(3, frame23(b"TIT2", struct.pack(">I", 6) + b"x\x9c",
                                                flags=0x0080)) + mpeg * 4)
put("id3-empty-tag.mp3", tag(3, b"") + mpeg)
put("id3-size-past-end.mp3", b"ID3\3\0\0\x7f\x7f\x7f\x7f" + mpeg)
v1 = b"TAG" + b"Title".ljust(30, b"\0") + b"Artist".ljust(30, b"\0") + b"Album".ljust(30, b"\0") \
     + b"2008" + b"note".ljust(28, b"\0") + b"\0\x05\x0c"
put("id3v1-only.mp3", mpeg * 4 + v1)

def ring(payload, key=0x6E, packed=0, marker_at=274):
    head = bytearray(marker_at)
    head[:5] = b"ring1"
    if marker_at > 268:
        head[268] = key
    if marker_at > 273:
        head[273] = packed
    gap = b"\0\0\0" if packed == 0 else b""
    return bytes(head) + bytes(range(8)) + gap + bytes(b ^ key for b in payload)

wav = riff(fmt(), chunk(b"data", samples))
put("ring-wav.ring", ring(wav))
put("ring-mp3.ring", ring(mpeg * 8, key=0x5A, packed=1))
put("ring-marker-at-256.ring", ring(wav, marker_at=256))
put("ring-empty-payload.ring", ring(b"", packed=1))

asf_header = bytes.fromhex("3026b2758e66cf11a6d900aa0062ce6c")
desc_guid = bytes.fromhex("3326b2758e66cf11a6d900aa0062ce6c")
title = "歌名".encode("utf-16-le") + b"\0\0"
author = "Zuvo".encode("utf-16-le") + b"\0\0"
desc_body = struct.pack("<HHHHH", len(title), len(author), 0, 0, 0) + title + author
desc = desc_guid + struct.pack("<Q", 24 + len(desc_body)) + desc_body
hdr = asf_header + struct.pack("<QIBB", 30 + len(desc), 1, 1, 2) + desc
put("asf-description-only.asf", hdr)
put("asf-lengths-past-object.asf", asf_header + struct.pack("<QIBB", 64, 1, 1, 2) + desc_guid +
    struct.pack("<Q", 34) + struct.pack("<HHHHH", 0xFFFF, 0xFFFF, 0, 0, 0))
put("ogg-magic-only.ogg", b"OggS" + b"\0" * 60)

# Tags that once reached faults inside id3lib; ahead of real frames, and each
# ending in an odd byte so the tag target also edits and writes them.
def id3(major, body):
    size = len(body)
    return (b"ID3" + bytes([major, 0, 0]) +
            bytes([(size >> 21) & 127, (size >> 14) & 127, (size >> 7) & 127, size & 127]) + body)

def frame(fid, data):
    return fid + struct.pack(">I", len(data)) + b"\0\0" + data

frames = open(f"{w}/cbr-8k.mp3", "rb").read()[:2000] + b"\x01"
put("id3-comment-utf16-description.mp3",
    id3(3, frame(b"COMM", b"\x01eng\xff\xfed\0\0\0")) + frames)
put("id3-people-list-odd-utf16.mp3", id3(3, frame(b"IPLS", b"\x01ab\0")) + frames)
put("id3-v22-compressed-data-frame.mp3", id3(2, b"CDM\0\0\x06" + b"\0\0T\0\0\0") + frames)

# Hostile inputs made small: a long chain of tiny tags, zeros behind a WAV's
# samples and behind an MP3's frames, a data size of 0xFFFFFFFF, samples
# before their format, and a UTF-16 comment as the tag writer leaves it.
put("id3-chain-2000.mp3", id3(3, frame(b"TIT2", b"\0First")) +
    id3(3, frame(b"TPE1", b"\0x")) * 1999 + mpeg * 4)
put("id3-comm-utf16-empty-description.mp3",
    id3(3, frame(b"COMM", b"\x01XXX\xff\xfe\0\0\xff\xfe" + "注释".encode("utf-16-le")) +
        frame(b"TIT2", b"\x01\xff\xfe" + "标题".encode("utf-16-le")) + b"\0" * 32) + frames)
put("wav-data-before-fmt.wav", riff(chunk(b"data", samples), chunk(b"LIST", b"x"), fmt()))
put("wav-zero-tail.wav", riff(fmt(), chunk(b"data", samples)) + b"\0" * 48000)
put("wav-data-size-ffff.wav",
    riff(fmt()) + b"data" + struct.pack("<I", 0xFFFFFFFF) + samples + b"\0" * 16000)
put("mp3-zero-tail.mp3", open(f"{w}/cbr-8k.mp3", "rb").read() + b"\0" * 50000)
PY

copy() { # copy TARGET FILES...
    local target=$1
    shift
    mkdir -p "$out/$target"
    cp "$@" "$out/$target/"
}
shopt -s nullglob
wavs=("$work"/*.wav)
mp3s=("$work"/*.mp3)
asfs=("$work"/*.wma "$work"/*.asf)
rings=("$work"/*.ring)
all=("$work"/*.wav "$work"/*.mp3 "$work"/*.wma "$work"/*.asf "$work"/*.ogg "$work"/*.ring)

copy fuzz_wave_clip "${wavs[@]}"
copy fuzz_identify "${all[@]}"
copy fuzz_sniff "${all[@]}"
copy fuzz_wave_data "${wavs[@]}"
copy fuzz_open "${all[@]}"
copy fuzz_mp3_info "${mp3s[@]}"
copy fuzz_id3_tags "${mp3s[@]}"
copy fuzz_ring_file "${rings[@]}" "$work/pcm16-mono-8k.wav"
copy fuzz_decoder "${mp3s[@]}" "${asfs[@]}"

# Text: GBK, UTF-8, UTF-16LE, bad sequences, markup and URL-coded bytes.
mkdir -p "$out/fuzz_text_coding" "$out/fuzz_service_reply"
t="$out/fuzz_text_coding"
printf '我的彩铃·周末版€' >"$t/utf8"
printf '我的彩铃·周末版' | iconv -f UTF-8 -t GBK >"$t/gbk"
printf '歌名 Ring' | iconv -f UTF-8 -t UTF-16LE >"$t/utf16le"
printf '\xc0\xaf\xed\xa0\x80\xf4\x90\x80\x80\x81\xff\xfe' >"$t/ill-formed"
printf '<?xml version="1.0"?><a b="&amp;\x27">x</a>' >"$t/xml"
printf 'a%%20b+c%%zz%%4' >"$t/url"

# Replies: first byte 1 = sent, UTF-8 charset; 3 = sent, GBK; 5 = sent,
# charset given before the first NUL; 7 = sent, the reply's Content-Type
# before the first NUL.
r="$out/fuzz_service_reply"
printf '\001OK' >"$r/ok"
printf '\001OK|包月|按次|说明|true' >"$r/month-offer"
printf '\001OK|||' >"$r/empty-tokens"
printf '\001ERROR 密码错误' >"$r/error-utf8"
{ printf '\003'; printf '余额不足' | iconv -f UTF-8 -t GBK; } >"$r/error-gbk"
printf '\005utf-8; format=flowed\000OK' >"$r/charset-params"
printf '\000' >"$r/not-sent"
printf '\001 \r\n\tok\r\n' >"$r/spaces"
printf '\007text/plain; charset="UTF-8"\000OK' >"$r/quoted-charset"
{ printf '\007text/html; x="a\\";charset=utf-8"; Charset = GBK ;q=1\000'
  printf '请先登录！' | iconv -f UTF-8 -t GBK; } >"$r/quoted-parameters"

# The shipped main-dialog theme, whose slider, tab and list sections the
# skinned controls read.
mkdir -p "$out/fuzz_skin_controls" "$out/fuzz_theme"
cp "$root/apps/kelvo/skin/neostyle/theme.ini" "$out/fuzz_skin_controls/neostyle.ini"
# An 8-bit BMP, 4 x 1, with a palette of two colours and pixel indices 0, 1, 2
# and 255. The seeds below are that image followed by a theme that names it
# (the image reader stops at its pixels, the theme reader skips the binary
# line), once with sizes of the shipped theme and once with sizes far past any
# screen.
printf 'BMB\000\000\000\000\000\000\000>\000\000\000(\000\000\000\004\000\000\000' >"$work/short-palette.bmp"
printf '\001\000\000\000\001\000\010\000\000\000\000\000\004\000\000\000' >>"$work/short-palette.bmp"
printf '\023\013\000\000\023\013\000\000\002\000\000\000\002\000\000\000' >>"$work/short-palette.bmp"
printf '\000\000\377\000\377\000\000\000\000\001\002\377' >>"$work/short-palette.bmp"
# The same header declaring 6000 x 6000 pixels of run-length data that ends at once.
printf 'BMB\000\000\000\000\000\000\000>\000\000\000(\000\000\000p\027\000\000' >"$work/huge-rle.bmp"
printf 'p\027\000\000\001\000\010\000\001\000\000\000\004\000\000\000' >>"$work/huge-rle.bmp"
printf '\023\013\000\000\023\013\000\000\002\000\000\000\002\000\000\000' >>"$work/huge-rle.bmp"
printf '\000\000\377\000\377\000\000\000\000\000\000\001' >>"$work/huge-rle.bmp"
skin_theme() { # $1: a size for every size key
    local n=$1
    printf '\n[Personality]\nTop=top.png\nLeft=left.png\nRight=right.png\nBottom=bottom.png\n'
    printf 'DialogBmp=image.bin\nTopTopHeight=%s\nTopBotHeight=%s\nLeftTopHeight=%s\n' "$n" "$n" "$n"
    printf 'LeftBotHeight=%s\nBottomTopHeight=%s\nTextShift=%s\nTextShiftVert=%s\n' "$n" "$n" "$n" "$n"
    printf 'ButtonCount=1\nUsesTran=1\n[Button0]\nButtonImage=close.png\nXCoord=%s\nYCoord=%s\n' "$n" "$n"
    printf '[Buttons]\nBitmap=image.bin\nTopHeight=%s\nLeftWidth=%s\n' "$n" "$n"
    printf '[SliderCtrl_1017]\nImage=image.bin\nPosX=0\nPosY=0\nWidth=%s\nHeight=%s\n' "$n" "$n"
    printf 'Trans=1\nBarWidth=%s\nBarHeight=%s\nPointWidth=%s\nPointHeight=%s\nForeX=%s\n' \
        "$n" "$n" "$n" "$n" "$n"
    printf '[TabCtrl_1043]\nTabButtonImage=image.bin\nWidth=%s\nButtonHeight=%s\n' "$n" "$n"
    printf 'ButtonWidth=%s\nPendingX=%s\nMidTabOverX=%s\n' "$n" "$n" "$n"
    printf '[ListCtrl_1009]\nPosX=0\nPosY=0\nWidth=%s\nHeight=%s\nFontSize=%s\n' "$n" "$n" "$n"
    local key
    for key in ListColumnHeaderSpan ListColumnHeaderStart ListColumnHeaderEnd \
        ListVerticleScrollbarTop ListVerticleScrollBarUpArrow ListVerticleScrollBarThumb \
        ListVerticleScrollBarSpan ListVerticleScrollBarDownArrow ListVerticleScrollbarBottom \
        ListHorizontalScrollBarThumb ListHorizontalScrollBarSpan \
        ListHorizontalScrollBarRightArrow ListHorizontalScrollBarLeftArrow; do
        printf '%s=image.bin\n' "$key"
    done
    for key in VerBarWidth VerTopHeight VerBottomHeight VerUpArrowHeight VerDownArrowHeight \
        VerThumbHeight HorBarHeight HorRightArrowWidth HorLeftArrowWidth HorThumbWidth; do
        printf '%s=%s\n' "$key" "$n"
    done
}
for target in fuzz_skin_controls fuzz_theme; do
    cp "$work/short-palette.bmp" "$out/$target/short-palette.bmp"
    { cat "$work/huge-rle.bmp"; skin_theme 12; } >"$out/$target/huge-rle-theme.bmp"
    { cat "$work/short-palette.bmp"; skin_theme 12; } >"$out/$target/short-palette-theme.bmp"
    { cat "$work/short-palette.bmp"; skin_theme 99999; } >"$out/$target/huge-sizes.bmp"
    { cat "$work/short-palette.bmp"; skin_theme 20000; } >"$out/$target/large-sizes.bmp"
    { cat "$work/short-palette.bmp"; skin_theme -99999; } >"$out/$target/negative-sizes.bmp"
done

# Lyrics: time tags one and several to a line, information tags, odd tags,
# every line end, a byte-order mark, GBK and UTF-8 text.
l="$out/fuzz_lrc"
mkdir -p "$l"
printf '[ti:Song]\r\n[ar:Singer]\r\n[offset:500]\r\n[00:01.00]first\r\n[00:03.50]second\r\n' \
    >"$l/crlf.lrc"
printf '[00:10.00][00:20.00]twice\n[00:05.00]\n[xy:abcde]odd\n[00:01.500]x\n[1:02.50]y\n' \
    >"$l/tags.lrc"
printf '[00:02.00]a\r[00:02.00]b\r[:1234567][00:04.00]c]d\r' >"$l/cr.lrc"
printf '\xef\xbb\xbf[00:01.00]\xe4\xbd\xa0\xe5\xa5\xbd\n[99:59.99]end' >"$l/utf8-bom.lrc"
printf '[00:01.00]你好，世界\n[00:02.00]歌词\n' | iconv -f UTF-8 -t GBK >"$l/gbk.lrc"
printf '[00:01.00]\x81\x5dx\n[-1:00.00]neg\n[9999999:]big' >"$l/edges.lrc"

# XML: the update description, both quote kinds, self-closing elements,
# mixed text, failures of every kind and a deep nest.
x="$out/fuzz_xml_document"
mkdir -p "$x"
printf '<?xml version="1.0" encoding="GB2312"?>\r\n<UpdateInfo><VersionInfo><MajorVer>1</MajorVer><SubVer>12</SubVer></VersionInfo><Declare>a\\r\\nb</Declare><ExecApp>updater.sh</ExecApp><UpdFiles><File FileName="updater.sh" Url="http://127.0.0.1:8765/update/files/updater.sh" MD5="0123456789ABCDEF0123456789ABCDEF" Target=""/><File FileName='"'"'b'"'"' Url='"'"'u'"'"' MD5='"'"'m'"'"' Target='"'"'sub\\'"'"' /></UpdFiles></UpdateInfo>\r\n' >"$x/update.xml"
printf "<?xml version='1.1' encoding=\"UTF-8\"?><r>one<c a='x' b=\"y\" />two<d></d ></r>" >"$x/quotes.xml"
printf '<a><></a><b c="1 d/>' >"$x/broken.xml"
printf '<a x="/a"><b/><c>text' >"$x/unfinished.xml"
for i in $(seq 70); do printf '<n>'; done >"$x/deep.xml"
mkdir -p "$out/fuzz_update_description"
cp "$x/update.xml" "$out/fuzz_update_description/"
printf '<UpdateInfo><VersionInfo><MajorVer>2</MajorVer><SubVer>0</SubVer></VersionInfo><ExecApp>bin\\u</ExecApp><UpdFiles><File FileName="u" Url="x" MD5="y" Target="bin\\"/><File FileName="..\\v" Url="x" MD5="y" Target="\\"/></UpdFiles></UpdateInfo>' >"$out/fuzz_update_description/targets.xml"
for i in $(seq 70); do printf '</n>'; done >>"$x/deep.xml"

touch "$out/.made"
echo "seeds made in $out"
