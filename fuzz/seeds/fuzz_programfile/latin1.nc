%
O1000 (ébauche)
G0 X-1.5
ÿ%