#!/usr/bin/env python3
"""Validates the locale documents embedded in the setup executable.

Usage: check_locales.py [DIRECTORY]    (default: the directory of this script)
Prints one line per document and exits 1 if any document has a problem.
"""
import re
import sys
import xml.etree.ElementTree as ET
from collections import Counter
from pathlib import Path

# resource id -> (file, locale name, id of the English document it is translated from)
LANGUAGE_DOCUMENTS = {
    101: ("isv_en_US.xml", "en_US", None),
    102: ("isv_es.xml", "es", 101),
    105: ("dlm_en_US.xml", "en_US", None),
    106: ("dlm_es.xml", "es", 105),
    107: ("dlm_pt_BR.xml", "pt_BR", 105),
    108: ("dlm_pl.xml", "pl", 105),
    109: ("dlm_cs.xml", "cs", 105),
    110: ("dlm_da.xml", "da", 105),
    111: ("dlm_de.xml", "de", 105),
    112: ("dlm_fi.xml", "fi", 105),
    113: ("dlm_fr.xml", "fr", 105),
    114: ("dlm_it.xml", "it", 105),
    115: ("dlm_nl.xml", "nl", 105),
    116: ("dlm_pl.xml", "pl", 105),
    117: ("dlm_ru.xml", "ru", 105),
    118: ("dlm_tr.xml", "tr", 105),
    121: ("heritage_en_US.xml", "en_US", None),
    122: ("heritage_es.xml", "es", 121),
}
# The heritage build loads these pages' texts beside the ISV document of the same language, so they may
# refer to its keys.
COMPANION_DOCUMENTS = {121: 101, 122: 102}
BRANDED_ID, BRANDED_FILE = 120, "branded.xml"
IDENTICAL_RESOURCES = [(108, 116)]
XML_DECLARATION = '<?xml version="1.0" encoding="utf-8"?>'
SUPPLIED_BY_PROGRAM = {"PRODUCT_TITLE"}

ISV_ENGLISH = {
    "SPLASH_TEXT": 'To continue, please select your preferred language, and click "{BUTTON_NEXT}".',
    "WELCOME_TITLE": "Welcome to",
    "WELCOME_TEXT": 'This will install {PRODUCT_TITLE} on your computer. Click "{BUTTON_NEXT}" to continue.',
    "PRIVACY_LINK": "Privacy Policy",
    "EULA_LINK": "End User License Agreement",
    "SDK_LINK": "SDK License",
    "PROGRESS_TITLE": "Installation Status",
    "PROGRESS_DESC": "Please wait while the installer wizard downloads and optimizes necessary packages.",
    "PROGRESS_STAT_TEXT": "out of",
    "PROGRESS_STAT_INSTALLING": "Installing...",
    "PROGRESS_STAT_FINISHED": 'Installation completed. Please click "{BUTTON_FINISH}" to continue.',
    "PROGRESS_STATUS_MAIN": "Installing {PRODUCT_TITLE}",
    "PROGRESS_STATUS": "$percent$ Completed",
    "PROGRESS_STATUS_START": "0% Completed",
    "PRODUCT_DISCLAIMER": 'When you click "{BUTTON_ACCEPT}", you agree to the installation of "[PACKAGE_NAME]" and'
                          ' that you have read the <a href="[PACKAGE_PRIVACY_URL]">{PRIVACY_LINK}</a> and agree to the'
                          ' terms of its <a href="[PACKAGE_EULA_URL]">{EULA_LINK}</a>. Check "Add/Remove Programs" to'
                          ' uninstall.',
    "PAGE_FINISH_TITLE": "Thank you.\r\nYour installation is complete.",
    "PAGE_FINISH_TEXT": 'You have successfully installed {PRODUCT_TITLE}. Click "{BUTTON_FINISH}" to proceed.',
    "LAUNCH_CHECKBOX": "Launch the application on exit",
    "UNINSTALL_TEXT": '\r\nTo uninstall all softwares installed during this installation process, please go to'
                      ' "Add/Remove Programs" and click "{PRODUCT_TITLE} Packages".',
    "PAGE_ERROR_TITLE": "Error occurred while installing {PRODUCT_TITLE}.",
    "PAGE_ERROR_TEXT": 'Click on "{BUTTON_CLOSE}" and try again later.',
    "BUTTON_DECLINE": "Decline",
    "BUTTON_CLOSE": "Close",
    "BUTTON_ACCEPT": "Accept",
    "BUTTON_NEXT": "Next",
    "BUTTON_RETRY": "Retry",
    "BUTTON_FINISH": "Finish",
    "BUTTON_SKIP_ALL": "Skip All",
    "BUTTON_AGREE": "Agree",
    "BUTTON_BACK": "Back",
    "MSG_EXIT": "Are you sure you want to exit the installer?",
    "PROGRESS_QUIT": "Some installer processes are already running in the background and will finish momentarily."
                     " Are you sure you would like to exit?",
}
ISV_ONLY_KEYS = {"EULA_LINK", "PROGRESS_STAT_INSTALLING", "PROGRESS_STAT_FINISHED", "PROGRESS_STATUS_MAIN",
                 "LAUNCH_CHECKBOX", "UNINSTALL_TEXT", "PAGE_ERROR_TITLE", "PAGE_ERROR_TEXT", "BUTTON_AGREE",
                 "BUTTON_BACK"}
DLM_ENGLISH = {key: text for key, text in ISV_ENGLISH.items() if key not in ISV_ONLY_KEYS}
DLM_ENGLISH.update({
    "WELCOME_TEXT": 'This will download {PRODUCT_TITLE} on your computer. Click "{BUTTON_NEXT}" to continue.',
    "TOS_LINK": "End User License Agreement",
    "PROGRESS_TITLE": "Downloading",
    "PROGRESS_DESC": "Downloading {PRODUCT_TITLE}, sit back and relax",
    "PRODUCT_DISCLAIMER": ISV_ENGLISH["PRODUCT_DISCLAIMER"].replace("{EULA_LINK}", "{TOS_LINK}"),
    "PAGE_FINISH_TITLE": "Thank you.\r\nYou have successfully downloaded {PRODUCT_TITLE}.",
    "PAGE_FINISH_TEXT": 'To install the software on your machine, click "{LAUNCH_RADIO}"\r\n'
                        'Click the "{BUTTON_FINISH}" button to exit the Setup Wizard',
    "LAUNCH_RADIO": "Launch",
    "OPEN_FOLDER_RADIO": "Open Folder",
    "OPEN_PRODUCT_SITE_CHECKBOX": "open product's site",
    "PAGE_DOWNLOAD_ERROR_TITLE": "Error in downloading",
    "PAGE_DOWNLOAD_ERROR_DESC": "Please try to download later",
    "PAGE_CONFIGURATION_ERROR_TITLE": "Something went wrong",
    "PAGE_CONFIGURATION_ERROR_DESC": "Please try to download later",
})
ENGLISH_TEXTS = {101: ISV_ENGLISH, 105: DLM_ENGLISH}
EXPECTED_KEYS = {doc_id: set(DLM_ENGLISH) for doc_id in LANGUAGE_DOCUMENTS}
EXPECTED_KEYS[101] = set(ISV_ENGLISH)
EXPECTED_KEYS[102] = set(ISV_ENGLISH) - {"SDK_LINK", "BUTTON_AGREE", "BUTTON_BACK"}
HERITAGE_KEYS = {"WARNING_TITLE", "WARNING_SUBTITLE", "WARNING_TEXT", "OPTIONS_TITLE", "OPTIONS_CHECK_1",
                 "OPTIONS_CHECK_2", "OPTIONS_CHECK_3", "CONFIGURATIONS_TITLE", "CONFIGURATIONS_SUBTITLE_1",
                 "CONFIGURATIONS_TEXT_1", "CONFIGURATIONS_CHECK_1", "CONFIGURATIONS_CHECK_2",
                 "CONFIGURATIONS_SUBTITLE_2", "CONFIGURATIONS_TEXT_2", "CONFIGURATIONS_CHECK_3",
                 "CONFIGURATIONS_CHECK_4", "CONFIGURATIONS_CHECK_5"}
EXPECTED_KEYS[121] = EXPECTED_KEYS[122] = HERITAGE_KEYS
BRANDED_KEYS = {"SPLASH_TITLE_KV", "SPLASH_TEXT_KV", "LICENSE_TITLE", "LICENSE_TEXT", "LICENSE_DISCLAIMER",
                "LICENSE_EULA"}

# Control sizes in dialog units: (usable width, lines). A line holds about width/4 average characters.
# Sizes marked "assumed" are not fixed by the dialog templates yet.
LAYOUT = {
    "SPLASH_TEXT": (280, 6), "WELCOME_TITLE": (111, 1), "WELCOME_TEXT": (189, 3),
    "PRIVACY_LINK": (200, 1), "EULA_LINK": (200, 1), "TOS_LINK": (200, 1), "SDK_LINK": (200, 1),  # assumed
    "PROGRESS_TITLE": (280, 1), "PROGRESS_DESC": (280, 3), "PRODUCT_DISCLAIMER": (326, 3),
    "PAGE_FINISH_TITLE": (280, 3), "PAGE_FINISH_TEXT": (280, 3),
    # check boxes and radio buttons lose about 12 units to their glyph
    "LAUNCH_CHECKBOX": (128, 1), "LAUNCH_RADIO": (128, 1), "OPEN_FOLDER_RADIO": (128, 1),
    "OPEN_PRODUCT_SITE_CHECKBOX": (128, 1),  # assumed
    "PAGE_ERROR_TITLE": (280, 3), "PAGE_ERROR_TEXT": (280, 3),  # assumed, as the finish page
    "PAGE_DOWNLOAD_ERROR_TITLE": (280, 3), "PAGE_DOWNLOAD_ERROR_DESC": (280, 3),  # assumed
    "PAGE_CONFIGURATION_ERROR_TITLE": (280, 3), "PAGE_CONFIGURATION_ERROR_DESC": (280, 3),  # assumed
    # the branded title is 220 units wide, but its larger font fits only about two thirds as many characters
    "SPLASH_TITLE_KV": (150, 2), "SPLASH_TEXT_KV": (265, 12),
    "LICENSE_TEXT": (240, 1), "LICENSE_DISCLAIMER": (270, 3),
    # heritage pages: titles in the same heavy font, kept to one line; headings assumed in that font too
    "WARNING_TITLE": (150, 1), "OPTIONS_TITLE": (150, 1), "CONFIGURATIONS_TITLE": (150, 1),
    "CONFIGURATIONS_SUBTITLE_1": (150, 1), "CONFIGURATIONS_SUBTITLE_2": (150, 1),  # assumed
    "WARNING_SUBTITLE": (220, 1), "WARNING_TEXT": (270, 12),
    "OPTIONS_CHECK_1": (130, 1), "OPTIONS_CHECK_2": (130, 1), "OPTIONS_CHECK_3": (130, 1),
    # the next control starts 16 units below each text, so one line only
    "CONFIGURATIONS_TEXT_1": (270, 1), "CONFIGURATIONS_TEXT_2": (270, 1),
    # CHECK_1 is a separate label beside its box (266 units), the others are check boxes
    "CONFIGURATIONS_CHECK_1": (266, 2), "CONFIGURATIONS_CHECK_2": (258, 1), "CONFIGURATIONS_CHECK_3": (258, 1),
    "CONFIGURATIONS_CHECK_4": (258, 1), "CONFIGURATIONS_CHECK_5": (258, 1),
}
MAX_BUTTON_CHARS = 12
SAMPLE_VALUES = {"PRODUCT_TITLE": "Bramble Web", "[PACKAGE_NAME]": "Sample Package", "$percent$": "100%"}
EULA_CHARS = (6000, 9000)

REF = re.compile(r"\{([A-Z0-9_]+)\}")
BRACKET_PLACEHOLDER = re.compile(r"\[[A-Z0-9_]+\]|\$[a-z_]+\$")
LINK_TAG = re.compile(r'<a href="[^"]*">|</a>')
URL = re.compile(r"https?://([^/\s\"<>]+)")


def parse_language_document(path):
    return ET.parse(path).getroot()


def parse_branded_document(path):
    # Branded strings are top-level siblings with no root, so give them one for ElementTree.
    text = Path(path).read_text(encoding="utf-8")
    body = text[len(XML_DECLARATION):] if text.startswith(XML_DECLARATION) else text
    return ET.fromstring("<branded>" + body + "</branded>")


def read_strings(root, problems):
    strings = {}
    for element in root:
        key = element.tag
        if key in strings:
            problems.append(f"{key}: defined twice")
        if len(element):
            problems.append(f"{key}: contains child elements (link markup must be written as &lt; &gt;)")
        text = element.text or ""
        if not text.strip():
            problems.append(f"{key}: empty")
        if re.search(r"\r(?!\n)|(?<!\r)\n", text):
            problems.append(f"{key}: line break not written as &#13;&#10;")
        if (element.tail or "").strip():
            problems.append(f"{key}: stray text after the element")
        strings[key] = text
    return strings


def tokens(text):
    return Counter(REF.findall(text) + BRACKET_PLACEHOLDER.findall(text) + LINK_TAG.findall(text))


def check_references(strings, known_keys, problems):
    for key, text in strings.items():
        for ref in REF.findall(text):
            if ref not in known_keys:
                problems.append(f"{key}: refers to unknown key {{{ref}}}")
        if re.search(r"[{}]", REF.sub("", text)):
            problems.append(f"{key}: stray brace (malformed reference?)")
    cycle = find_cycle({key: REF.findall(text) for key, text in strings.items()})
    if cycle:
        problems.append("reference cycle: " + " -> ".join(cycle))


def find_cycle(graph):
    state = {}

    def visit(node, path):
        state[node] = "open"
        for nxt in graph.get(node, ()):
            if state.get(nxt) == "open":
                return path[path.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt, path + [nxt])
                if found:
                    return found
        state[node] = "done"
        return None

    for node in graph:
        if node not in state:
            found = visit(node, [node])
            if found:
                return found
    return None


def expand(text, strings, depth=0):
    """Text roughly as displayed: references resolved, placeholders given sample values, link markup removed."""
    if depth > 10:
        return text
    text = REF.sub(lambda m: expand(strings.get(m.group(1), SAMPLE_VALUES.get(m.group(1), "")), strings, depth + 1),
                   text)
    for placeholder, sample in SAMPLE_VALUES.items():
        text = text.replace(placeholder, sample)
    return LINK_TAG.sub("", text)


def wrapped_line_count(text, chars_per_line):
    """Greedy word wrap as a static control does it; a word longer than a line is broken."""
    total = 0
    for paragraph in text.split("\r\n"):
        lines, current = 1, 0
        for word in paragraph.split():
            if current and current + 1 + len(word) <= chars_per_line:
                current += 1 + len(word)
                continue
            if current:
                lines += 1
            spans = -(-len(word) // chars_per_line)
            lines += spans - 1
            current = len(word) - (spans - 1) * chars_per_line
        total += lines
    return total


def check_fit(strings, problems, context=None):
    """context: strings of another document that references may resolve to."""
    for key, text in strings.items():
        shown = expand(text, {**(context or {}), **strings})
        if key.startswith("BUTTON_") and len(shown) > MAX_BUTTON_CHARS:
            problems.append(f"{key}: {len(shown)} characters, buttons take at most {MAX_BUTTON_CHARS}")
        if key in LAYOUT:
            width, max_lines = LAYOUT[key]
            needed = wrapped_line_count(shown, width // 4)
            if needed > max_lines:
                problems.append(f"{key}: needs about {needed} lines of {width // 4} characters, room for {max_lines}")


def check_urls(strings, problems):
    for key, text in strings.items():
        for host in URL.findall(text):
            if not host.endswith(".example"):
                problems.append(f"{key}: address {host} is not under the reserved .example domain")


def check_language_document(doc_id, directory, checked):
    """checked: the strings of the documents with lower ids, by id."""
    file_name, locale, source_id = LANGUAGE_DOCUMENTS[doc_id]
    path = directory / file_name
    problems = check_declaration(path)
    try:
        root = parse_language_document(path)
    except (OSError, ET.ParseError) as error:
        return problems + [f"cannot parse: {error}"], {}
    if root.tag != "Locale":
        problems.append(f"root element is <{root.tag}>, expected <Locale>")
    if root.get("name") != locale:
        problems.append(f'Locale name is "{root.get("name")}", expected "{locale}"')
    strings = read_strings(root, problems)
    missing, unexpected = EXPECTED_KEYS[doc_id] - set(strings), set(strings) - EXPECTED_KEYS[doc_id]
    if missing:
        problems.append("missing keys: " + ", ".join(sorted(missing)))
    if unexpected:
        problems.append("unexpected keys: " + ", ".join(sorted(unexpected)))
    companion = checked.get(COMPANION_DOCUMENTS.get(doc_id), {})
    check_references(strings, set(strings) | SUPPLIED_BY_PROGRAM | set(companion), problems)
    for key, expected in ENGLISH_TEXTS.get(doc_id, {}).items():
        if key in strings and strings[key] != expected:
            problems.append(f"{key}: English text differs from the approved wording")
    if source_id is not None:
        source = checked.get(source_id, {})
        for key in strings.keys() & source.keys():
            if tokens(strings[key]) != tokens(source[key]):
                problems.append(f"{key}: references, placeholders or links differ from the English text")
    check_fit(strings, problems, companion)
    check_urls(strings, problems)
    return problems, strings


def check_branded_document(directory, isv_english_keys):
    path = directory / BRANDED_FILE
    problems = check_declaration(path)
    try:
        root = parse_branded_document(path)
    except (OSError, ET.ParseError) as error:
        return problems + [f"cannot parse: {error}"], {}
    strings = read_strings(root, problems)
    if set(strings) != BRANDED_KEYS:
        problems.append("keys differ: missing " + ", ".join(sorted(BRANDED_KEYS - set(strings))) +
                        "; unexpected " + ", ".join(sorted(set(strings) - BRANDED_KEYS)))
    check_references(strings, set(strings) | SUPPLIED_BY_PROGRAM | isv_english_keys, problems)
    disclaimer = strings.get("LICENSE_DISCLAIMER", "")
    for placeholder in ("[LICENSE_TOS_URL]", "[LICENSE_PRIVACY_URL]"):
        if f'<a href="{placeholder}">' not in disclaimer:
            problems.append(f"LICENSE_DISCLAIMER: no link to {placeholder}")
    eula = strings.get("LICENSE_EULA", "")
    if not EULA_CHARS[0] <= len(eula) <= EULA_CHARS[1]:
        problems.append(f"LICENSE_EULA: {len(eula)} characters, expected {EULA_CHARS[0]}-{EULA_CHARS[1]}")
    if eula.count("\r\n\r\n") < 10:
        problems.append("LICENSE_EULA: fewer than 11 paragraphs separated by blank lines")
    if not URL.search(eula):
        problems.append("LICENSE_EULA: no web address written out")
    check_fit(strings, problems)
    check_urls(strings, problems)
    return problems, strings


def check_declaration(path):
    try:
        head = path.read_bytes()[:len(XML_DECLARATION)]
    except OSError:
        return []
    return [] if head == XML_DECLARATION.encode() else [f"does not start with {XML_DECLARATION}"]


def report_lines(label, problems, summary):
    head = f"{label}: {len(problems)} problem(s)" if problems else f"{label}: ok, {summary}"
    return [head] + ["    " + problem for problem in problems]


def check_directory(directory):
    """Returns (report lines, total problem count)."""
    directory = Path(directory)
    report, total, checked = [], 0, {}
    for doc_id in sorted(LANGUAGE_DOCUMENTS):
        file_name, locale, _ = LANGUAGE_DOCUMENTS[doc_id]
        problems, strings = check_language_document(doc_id, directory, checked)
        checked[doc_id] = strings
        total += len(problems)
        report += report_lines(f"{doc_id} {file_name} ({locale})", problems, f"{len(strings)} strings")
    problems, strings = check_branded_document(directory, set(checked.get(101, {})))
    total += len(problems)
    eula_length = len(strings.get("LICENSE_EULA", ""))
    report += report_lines(f"{BRANDED_ID} {BRANDED_FILE}", problems,
                           f"{len(strings)} strings, EULA {eula_length} characters")
    for first, second in IDENTICAL_RESOURCES:
        paths = [directory / LANGUAGE_DOCUMENTS[doc_id][0] for doc_id in (first, second)]
        if all(path.is_file() for path in paths) and paths[0].read_bytes() != paths[1].read_bytes():
            total += 1
            report.append(f"{first} and {second} must be byte-identical: {paths[0].name} differs from {paths[1].name}")
    return report, total


def main(argv):
    directory = Path(argv[1]) if len(argv) > 1 else Path(__file__).resolve().parent
    report, total = check_directory(directory)
    print("\n".join(report))
    print(f"{total} problem(s) in {directory}" if total else "all locale documents ok")
    return 1 if total else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
