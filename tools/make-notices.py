#!/usr/bin/env python3
"""Writes res/notices.txt, the open-source notices shown by Setup, from the
copyright files of the Debian packages that build it: Setup.exe carries our
own code and, linked statically, the GCC runtime (libstdc++, libgcc), the
MinGW-w64 runtime and winpthreads. Their notices and licence texts are quoted
as the installed packages state them. Run it again after the toolchain
packages change; the output is committed (UTF-8 with byte-order mark, CR LF).
"""
import subprocess
import sys
from pathlib import Path

GCC_PACKAGE = "gcc-mingw-w64-base"
MINGW_PACKAGE = "mingw-w64-common"
GPL3_PACKAGE = "base-files"
GPL3_PATH = Path("/usr/share/common-licenses/GPL-3")
RULE = "=" * 72

# Runtime parts that are never linked into a program built without profiling.
UNLINKED_FILES = ("mingw-w64-crt/profile/", "mingw-w64-libraries/winpthreads/tests_pthread/")


def copyright_file(package):
    return Path("/usr/share/doc") / package / "copyright"


def package_version(package):
    return subprocess.run(["dpkg-query", "-W", "-f=${Version}", package], check=True,
                          capture_output=True, text=True).stdout.strip()


def between(text, start, end):
    """The lines from the one starting with `start` up to the one before `end`."""
    begin = text.index(start)
    return text[begin:text.index(end, begin)].rstrip() + "\n"


def stanzas(text):
    return [block.strip("\n") for block in text.split("\n\n") if block.strip()]


def field(stanza, name):
    for line in stanza.splitlines():
        if line.startswith(name + ":"):
            return line[len(name) + 1:].strip()
    return ""


def files_of(stanza):
    lines = stanza.splitlines()
    files = [lines[0][len("Files:"):].strip()]
    for line in lines[1:]:
        if not line.startswith((" ", "\t")):
            break
        files.append(line.strip())
    return files


def runtime_stanzas(text, prefixes, with_catch_all):
    """The file stanzas of the runtime parts that end up in a program, and the
    stand-alone licence texts they name. The catch-all stanza ("Files: *")
    applies only where no more specific stanza does."""
    chosen = []
    for stanza in stanzas(text):
        if not stanza.startswith("Files:"):
            continue
        files = files_of(stanza)
        linked = [f for f in files if (with_catch_all and f == "*") or
                  (f.startswith(prefixes) and not f.startswith(UNLINKED_FILES))]
        if linked:
            chosen.append(stanza)
    named = set()
    for stanza in chosen:
        for part in field(stanza, "License").replace(" and ", ",").split(","):
            named.add(part.strip())
    licences = [s for s in stanzas(text) if s.startswith("License:") and field(s, "License") in named]
    return chosen, licences


def section(title):
    return [RULE, title, RULE, ""]


def quoted_from(package, path):
    version = package_version(package)
    return [f"다음은 Debian 패키지 {package} {version}의", f"{path} 에서 그대로 옮긴 것입니다.",
            f"Quoted verbatim from {path}", f"of the Debian package {package} {version}.", ""]


def own_code():
    return section("Orlinth Setup") + [
        "Orlinth Setup의 코드는 Orlinth 팀이 작성했습니다.",
        "Copyright (C) Orlinth 팀. All rights reserved.",
        "",
        "The code of Orlinth Setup is written by the Orlinth team.",
        "",
    ]


def gcc_runtime():
    text = copyright_file(GCC_PACKAGE).read_text(encoding="utf-8")
    lines = section("GCC 런타임 라이브러리 (libstdc++, libgcc) / GCC runtime libraries")
    lines += [
        "Setup.exe에는 GCC의 C++ 표준 라이브러리(libstdc++)와 libgcc가 정적으로 링크되어",
        "있습니다. 이 라이브러리는 GNU General Public License 버전 3에 GCC Runtime Library",
        "Exception 버전 3.1을 더한 조건으로 배포되며, 이 예외에 따라 Setup.exe에 포함될 수",
        "있습니다. GPL 버전 3의 전문은 이 문서의 마지막 부분에 있습니다.",
        "",
        "Setup.exe statically links the GCC C++ standard library (libstdc++) and",
        "libgcc. They are licensed under the GNU General Public License version 3",
        "with version 3.1 of the GCC Runtime Library Exception, which permits their",
        "inclusion in Setup.exe. The full text of the GPL version 3 ends this document.",
        "",
    ]
    lines += quoted_from(GCC_PACKAGE, str(copyright_file(GCC_PACKAGE)))
    lines.append(between(text, "GCC is Copyright", "The libbacktrace library"))
    lines.append(between(text, "GCC RUNTIME LIBRARY EXCEPTION", "libquadmath/*.[hc]:"))
    return lines


def mingw_part(title, intro, prefixes, with_catch_all):
    text = copyright_file(MINGW_PACKAGE).read_text(encoding="utf-8")
    chosen, licences = runtime_stanzas(text, prefixes, with_catch_all)
    lines = section(title) + intro + [""]
    lines += quoted_from(MINGW_PACKAGE, str(copyright_file(MINGW_PACKAGE)))
    for stanza in chosen + licences:
        lines += [stanza, ""]
    return lines


def mingw_runtime():
    return mingw_part(
        "MinGW-w64 런타임 / MinGW-w64 runtime",
        ["Setup.exe에는 MinGW-w64 런타임(mingw-w64-crt)이 정적으로 링크되어 있습니다.",
         "",
         "Setup.exe statically links the MinGW-w64 runtime (mingw-w64-crt)."],
        ("mingw-w64-crt/",), True)


def winpthreads():
    return mingw_part(
        "winpthreads",
        ["Setup.exe에는 MinGW-w64 프로젝트의 스레드 라이브러리 winpthreads가 정적으로",
         "링크되어 있습니다.",
         "",
         "Setup.exe statically links winpthreads, the threads library of the",
         "MinGW-w64 project."],
        ("mingw-w64-libraries/winpthreads/",), False)


def gpl3():
    return section("GNU General Public License, version 3") + \
        quoted_from(GPL3_PACKAGE, str(GPL3_PATH)) + [GPL3_PATH.read_text(encoding="utf-8")]


def heading():
    return [
        "Orlinth Setup 오픈소스 라이선스 고지 / Open-source notices",
        RULE,
        "",
        "Orlinth Setup(Setup.exe)은 Orlinth 팀이 작성한 코드와, 정적으로 링크된 컴파일러",
        "런타임으로 이루어져 있습니다: GCC 런타임 라이브러리(libstdc++, libgcc),",
        "MinGW-w64 런타임, winpthreads. 각 구성 요소의 고지와 라이선스 전문은 아래와",
        "같습니다.",
        "",
        "Orlinth Setup (Setup.exe) consists of code written by the Orlinth team and",
        "the compiler runtimes linked into it statically: the GCC runtime libraries",
        "(libstdc++, libgcc), the MinGW-w64 runtime and winpthreads. Their notices",
        "and licence texts follow.",
        "",
    ]


def main():
    output = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "res/notices.txt"
    parts = heading() + own_code() + gcc_runtime() + mingw_runtime() + winpthreads() + gpl3()
    text = "\n".join(parts)
    lines = [line.rstrip() for line in text.replace("\r\n", "\n").split("\n")]
    while lines and not lines[-1]:
        lines.pop()
    output.write_bytes(b"\xef\xbb\xbf" + ("\r\n".join(lines) + "\r\n").encode("utf-8"))
    print(f"{output}: {len(lines)} lines")


if __name__ == "__main__":
    main()
