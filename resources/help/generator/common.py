import csv, html, re
LANGS = ['PT-BR', 'EN', 'ES', 'FR', 'DE']
CAT = {}
def load(path):
    cols = None
    for line in open(path, encoding='utf-8'):
        line = line.rstrip('\n')
        if not line or line.startswith('#') or line == '[extra]':
            continue
        f = line.split('\t')
        if f[0] == 'key':
            cols = f[1:]; continue
        row = {}
        for lang, v in zip(cols, f[1:]):
            if v == '-':
                continue
            row[lang] = v[1:-1] if len(v) >= 2 and v[0] == '"' else v
        CAT[f[0]] = row
def raw(key, lang):
    r = CAT[key]
    return r.get(lang, r.get('EN', ''))
def cap(key, lang):
    """A caption as shown on screen: '&' marks removed, blanks trimmed."""
    t = raw(key, lang).replace('&&', '\0').replace('&', '').replace('\0', '&')
    return t.strip()
