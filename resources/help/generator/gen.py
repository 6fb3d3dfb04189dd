# Writes the help pages of every language from the page texts here and the
# captions and messages of the language catalog, so the pages quote the texts
# the operator sees. Pictures: images/<name>.png in each language folder, made
# with zavrin-gallery (scaled to at most 900 px, 256 colours) by make-images.sh.
# Usage: python3 resources/help/generator/gen.py
import sys, os, html, re
sys.path.insert(0, os.path.dirname(__file__))
import common
from common import LANGS, raw, cap
HERE = os.path.dirname(os.path.abspath(__file__))
common.load(os.path.join(HERE, '..', '..', '..', 'src', 'lang', 'catalog.tsv'))
from words import UI
import pages1, pages2, pages3
PAGES = pages1.PAGES
OUT = os.path.join(HERE, '..')
E = html.escape
HTMLLANG = {'PT-BR': 'pt-BR', 'EN': 'en', 'ES': 'es', 'FR': 'fr', 'DE': 'de'}
BYNAME = {p['name']: p for p in PAGES}

def title(p, lang):
    return cap(p['title'], lang)

def message(parts, lang):
    out = ''
    for part in parts:
        if part == '*':
            out += '<i>…</i>'
        elif part.startswith('"'):
            out += E(part[1:-1])
        elif part.startswith('@'):
            t = E(raw(part[1:], lang))
            out += re.sub(r'%\d', '<i>…</i>', t)
        else:
            t = raw(part, lang)
            if part == 'ConfirmReplaceDialog.MSG01':
                out += E(t).replace('%s', '<i>…</i>')
            else:
                out += E(t)
    return out

def nav(lang, current):
    links = []
    for name, key in (('func03.html', 'Form_Main.RibbonPage1'), ('func04.html', 'Form_Main.RibbonPage2'), ('func05.html', 'Form_Main.RibbonPage3')):
        cls = ' class="here"' if name == current else ''
        links.append('<a href="%s"%s>%s</a>' % (name, cls, E(cap(key, lang))))
    return '<nav class="top"><span class="brand">Zavrin · %s</span> %s</nav>' % (UI['help'][lang], ' '.join(links))

TOKENS = {'P1': 'Form_Main.RibbonPage1', 'P2': 'Form_Main.RibbonPage2', 'P3': 'Form_Main.RibbonPage3',
          'NEXT': 'Form_Main.actSearchNext', 'PREV': 'Form_Main.actSearchPrev', 'CNCFILE': 'Form_Transfer_SERIAL232_R.GroupBox2'}
def fill(text, lang):
    for tok, key in TOKENS.items():
        text = text.replace('{%s}' % tok, '<b>&quot;%s&quot;</b>' % E(cap(key, lang)))
    return text
def images(p):
    return p['image'] if isinstance(p['image'], list) else [p['image']]

def render(p, lang):
    t = title(p, lang)
    h = ['<!DOCTYPE html>', '<html lang="%s">' % HTMLLANG[lang], '<head>', '<meta charset="utf-8">',
         '<meta name="viewport" content="width=device-width, initial-scale=1">',
         '<title>%s</title>' % E(t), '<link rel="stylesheet" href="help.css">', '</head>', '<body>', nav(lang, p['name']),
         '<main>', '<h1>%s</h1>' % E(t),
         '<h2>%s</h2>' % UI['purpose'][lang], '<p>%s</p>' % fill(E(p['intro'][lang]), lang)]
    for img in images(p):
        h.append('<figure><img src="images/%s.png" alt="%s"><figcaption>%s</figcaption></figure>' % (img, E(t), UI['shot'][lang]))
    if p['controls']:
        h.append('<h2>%s</h2>' % UI['controls'][lang])
        h.append('<table class="controls"><thead><tr><th>%s</th><th>%s</th></tr></thead><tbody>' % (UI['control'][lang], UI['meaning'][lang]))
        for keys, desc in p['controls']:
            names = ', '.join('<b>%s</b>' % E(cap(k, lang)) for k in keys if cap(k, lang))
            h.append('<tr><td>%s</td><td>%s</td></tr>' % (names, E(desc[lang])))
        h.append('</tbody></table>')
    if p['messages']:
        h.append('<h2>%s</h2>' % UI['messages'][lang])
        h.append('<table class="messages"><thead><tr><th>%s</th><th>%s</th></tr></thead><tbody>' % (UI['msg'][lang], UI['todo'][lang]))
        for parts, adv in p['messages']:
            h.append('<tr><td class="msg">%s</td><td>%s</td></tr>' % (message(parts, lang), E(adv[lang])))
        h.append('</tbody></table>')
    rel = [r for r in p['related'] if r in BYNAME]
    if rel:
        h.append('<h2>%s</h2>' % UI['related'][lang])
        h.append('<ul class="related">' + ''.join('<li><a href="%s">%s</a></li>' % (r, E(title(BYNAME[r], lang))) for r in rel) + '</ul>')
    h += ['</main>', '<footer>Zavrin</footer>', '</body>', '</html>', '']
    return '\n'.join(h)

CSS = open(os.path.join(os.path.dirname(__file__), 'help.css'), encoding='utf-8').read()
for lang in LANGS:
    d = os.path.join(OUT, lang)
    os.makedirs(d, exist_ok=True)
    for p in PAGES:
        with open(os.path.join(d, p['name']), 'w', encoding='utf-8', newline='\n') as f:
            f.write(render(p, lang))
    with open(os.path.join(d, 'help.css'), 'w', encoding='utf-8', newline='\n') as f:
        f.write(CSS)
print(len(PAGES), 'pages per language:', ' '.join(p['name'] for p in PAGES))
print('images:', ' '.join(sorted(set(i for p in PAGES for i in images(p)))))
