#!/usr/bin/env python3
"""Writes the Polish trouble-code table (resource 901) for the generic P codes of table 900.

Most generic descriptions are built from a part ("Engine Coolant Temperature") and a fault
("Circuit Low Input") with an optional bank, sensor or cylinder; both are translated with the
workshop terms below, always the same way. Descriptions that do not split cleanly are either written
out in `special` or in 901-written.tsv, or left out: a code without a Polish entry shows only its
English line. The table is written in the program's stored form: code page 1250, CR LF, no line end
after the last entry.

usage: make-table-901.py   (reads 900.txt and 901-written.tsv and writes 901.txt beside this script)
"""
import os
import re

here = os.path.dirname(os.path.abspath(__file__))
src = open(os.path.join(here, '900.txt'), 'rb').read().decode('ascii').split('\r\n')
en = {l[:5]: l[6:] for l in src if l.startswith('P')}

comp = {
 'Fuel Volume Regulator Control': 'Regulator ilości paliwa - sterowanie',
 'Fuel Shutoff Valve "A" Control': 'Zawór odcięcia paliwa "A" - sterowanie',
 'Mass or Volume Air Flow': 'Przepływomierz powietrza (MAF)',
 'Manifold Absolute Pressure/Barometric Pressure': 'Czujnik ciśnienia w kolektorze dolotowym (MAP) / ciśnienia atmosferycznego',
 'Engine Coolant Temperature': 'Czujnik temperatury cieczy chłodzącej',
 'Ambient Air Temperature Sensor': 'Czujnik temperatury otoczenia',
 'O2 Sensor': 'Sonda lambda',
 'O2 Sensor Heater': 'Grzałka sondy lambda',
 'HO2S Heater Control': 'Grzałka sondy lambda - sterowanie',
 'HO2S Heater': 'Grzałka sondy lambda',
 'Fuel Composition Sensor': 'Czujnik składu paliwa',
 'Fuel Rail Pressure Sensor': 'Czujnik ciśnienia paliwa w listwie',
 'Engine Oil Temperature Sensor': 'Czujnik temperatury oleju silnikowego',
 'Intake Valve Control Solenoid': 'Elektrozawór sterowania zaworów dolotowych',
 'Exhaust Valve Control Solenoid': 'Elektrozawór sterowania zaworów wydechowych',
 'Turbo Charger Bypass Valve Control': 'Zawór obejściowy turbosprężarki - sterowanie',
 'Turbo/Super Charger Bypass Valve Control': 'Zawór obejściowy turbosprężarki/sprężarki - sterowanie',
 'Turbo/Super Charger Boost Control Solenoid': 'Elektrozawór sterowania ciśnieniem doładowania',
 'Injector': 'Wtryskiwacz',
 'Ignition/Distributor Engine Speed Input': 'Sygnał prędkości obrotowej z zapłonu/rozdzielacza',
 'Fuel Pump Primary': 'Pompa paliwa - obwód pierwotny',
 'Fuel Pump Secondary': 'Pompa paliwa - obwód wtórny',
 'Idle Control System': 'Układ sterowania biegiem jałowym',
 'Idle Air Control System': 'Układ sterowania powietrzem biegu jałowego',
 'Vehicle Speed Sensor': 'Czujnik prędkości pojazdu',
 'Exhaust Gas Recirculation': 'Układ recyrkulacji spalin (EGR)',
 'Exhaust Gas Recirculation Control': 'Układ recyrkulacji spalin (EGR) - sterowanie',
 'Evaporative Emission Control System': 'Układ kontroli emisji par paliwa (EVAP)',
 'Evaporative Emission Control System Purge Control Valve': 'Zawór przedmuchu układu EVAP',
 'Evaporative Emission Control System Vent Control': 'Zawór odpowietrzenia układu EVAP - sterowanie',
 'Evaporative Emission Control System Pressure Sensor': 'Czujnik ciśnienia układu EVAP',
 'Fuel Level Sensor': 'Czujnik poziomu paliwa',
 'Secondary Air Injection System': 'Układ wtrysku powietrza wtórnego',
 'Engine Oil Pressure Sensor/Switch': 'Czujnik/włącznik ciśnienia oleju silnikowego',
 'Power Steering Pressure Sensor': 'Czujnik ciśnienia wspomagania kierownicy',
 'System Voltage': 'Napięcie zasilania',
 'Cruise Control Input': 'Sygnał wejściowy tempomatu',
 'Brake Switch "A"': 'Włącznik hamulca "A"',
 'Brake Switch "B"': 'Włącznik hamulca "B"',
 'Fan 1 Control': 'Wentylator 1 - sterowanie',
 'Fan 2 Control': 'Wentylator 2 - sterowanie',
 'Generator Lamp/L Terminal': 'Lampka ładowania / zacisk L alternatora',
 'Generator Field/F Terminal': 'Uzwojenie wzbudzenia / zacisk F alternatora',
 'Starter Relay': 'Przekaźnik rozrusznika',
 'A/C Refrigerant Pressure Sensor': 'Czujnik ciśnienia czynnika klimatyzacji',
 'Intake Manifold Runner Control': 'Klapy kolektora dolotowego - sterowanie',
 'Throttle Actuator Control Motor': 'Silnik nastawnika przepustnicy',
 'Throttle Actuator Control System': 'Układ sterowania przepustnicą',
 'Fuel Pressure Regulator 1 Control': 'Regulator ciśnienia paliwa 1 - sterowanie',
 'Fuel Pressure Regulator 2 Control': 'Regulator ciśnienia paliwa 2 - sterowanie',
}
for l in 'ABCDE':
    comp[f'Throttle/Pedal Position Sensor/Switch "{l}"'] = f'Czujnik/włącznik położenia przepustnicy/pedału "{l}"'
    comp[f'Fuel Temperature Sensor "{l}"'] = f'Czujnik temperatury paliwa "{l}"'
    comp[f'Crankshaft Position Sensor "{l}"'] = f'Czujnik położenia wału korbowego "{l}"'
    comp[f'Camshaft Position Sensor "{l}"'] = f'Czujnik położenia wałka rozrządu "{l}"'
    comp[f'Turbo/Super Charger Boost Sensor "{l}"'] = f'Czujnik ciśnienia doładowania "{l}"'
    comp[f'Turbo/Super Charger Wastegate Solenoid "{l}"'] = f'Elektrozawór upustowy turbosprężarki "{l}"'
    comp[f'Exhaust Gas Recirculation Sensor "{l}"'] = f'Czujnik układu EGR "{l}"'
    comp[f'Intake Air Temperature Sensor 1'] = 'Czujnik temperatury powietrza dolotowego 1'
    comp[f'Intake Air Temperature Sensor 2'] = 'Czujnik temperatury powietrza dolotowego 2'
for n in range(1, 5):
    comp[f'Knock Sensor {n}'] = f'Czujnik spalania stukowego {n}'
for n in range(1, 13):
    comp[f'Cylinder {n} Injector'] = f'Wtryskiwacz cylindra {n}'

cond = {
 'Circuit Malfunction': 'usterka obwodu',
 'Malfunction': 'usterka',
 'Circuit': 'usterka obwodu',
 'Circuit/Open': 'przerwa w obwodzie',
 'Circuit Malfunction/Open': 'usterka obwodu / przerwa',
 'Circuit Range/Performance': 'sygnał poza zakresem / nieprawidłowe działanie',
 'Circuit Range/Performance Problem': 'sygnał poza zakresem / nieprawidłowe działanie',
 'Range/Performance': 'sygnał poza zakresem / nieprawidłowe działanie',
 'Range/Performance Problem': 'sygnał poza zakresem / nieprawidłowe działanie',
 'Performance': 'nieprawidłowe działanie',
 'Circuit Low': 'niski sygnał w obwodzie',
 'Circuit Low Input': 'niski sygnał w obwodzie',
 'Circuit High': 'wysoki sygnał w obwodzie',
 'Circuit High Input': 'wysoki sygnał w obwodzie',
 'Low': 'niski sygnał',
 'High': 'wysoki sygnał',
 'Low Input': 'niski sygnał',
 'High Input': 'wysoki sygnał',
 'Circuit Intermittent': 'przerywany sygnał w obwodzie',
 'Circuit Input Intermittent': 'przerywany sygnał w obwodzie',
 'Intermittent': 'przerywany sygnał',
 'Circuit Intermittent/Erratic': 'przerywany / niestabilny sygnał w obwodzie',
 'Circuit Low Voltage': 'niskie napięcie w obwodzie',
 'Circuit High Voltage': 'wysokie napięcie w obwodzie',
 'Circuit Slow Response': 'powolna reakcja',
 'Circuit No Activity Detected': 'brak aktywności',
 'Circuit No Signal': 'brak sygnału w obwodzie',
 'Heater Circuit Malfunction': 'usterka obwodu grzałki',
 'Resistance': 'nieprawidłowa rezystancja',
}

qual = [
 (r' \(Bank (\d) Sensor (\d)\)$', r' (rząd \1, czujnik \2)'),
 (r' \(Bank (\d), Sensor (\d)\)$', r' (rząd \1, czujnik \2)'),
 (r' \(Bank (\d) or Single Sensor\)$', r' (rząd \1 lub pojedynczy czujnik)'),
 (r' \(Bank (\d)\)$', r' (rząd \1)'),
 (r' Bank (\d)$', r' (rząd \1)'),
 (r' - Cylinder (\d+)$', r' - cylinder \1'),
]

special = {
 'P0087': 'Ciśnienie paliwa w listwie/układzie - za niskie',
 'P0088': 'Ciśnienie paliwa w listwie/układzie - za wysokie',
 'P0093': 'Wykryto wyciek w układzie paliwowym - duży wyciek',
 'P0094': 'Wykryto wyciek w układzie paliwowym - mały wyciek',
 'P0125': 'Za niska temperatura cieczy chłodzącej do regulacji składu mieszanki w pętli zamkniętej',
 'P0126': 'Za niska temperatura cieczy chłodzącej do stabilnej pracy',
 'P0127': 'Za wysoka temperatura powietrza dolotowego',
 'P0128': 'Termostat (temperatura cieczy chłodzącej poniżej temperatury otwarcia termostatu)',
 'P0129': 'Za niskie ciśnienie atmosferyczne',
 'P0148': 'Błąd dawkowania paliwa',
 'P0149': 'Błąd kąta wtrysku paliwa',
 'P0168': 'Za wysoka temperatura paliwa',
 'P0169': 'Nieprawidłowy skład paliwa',
 'P0170': 'Korekta składu mieszanki - usterka (rząd 1)',
 'P0171': 'Mieszanka zbyt uboga (rząd 1)',
 'P0172': 'Mieszanka zbyt bogata (rząd 1)',
 'P0173': 'Korekta składu mieszanki - usterka (rząd 2)',
 'P0174': 'Mieszanka zbyt uboga (rząd 2)',
 'P0175': 'Mieszanka zbyt bogata (rząd 2)',
 'P0217': 'Przegrzanie silnika - za wysoka temperatura cieczy chłodzącej',
 'P0218': 'Za wysoka temperatura oleju skrzyni biegów',
 'P0219': 'Przekroczona dopuszczalna prędkość obrotowa silnika',
 'P0234': 'Za wysokie ciśnienie doładowania turbosprężarki/sprężarki',
 'P0299': 'Za niskie ciśnienie doładowania turbosprężarki/sprężarki',
 'P0297': 'Przekroczona dopuszczalna prędkość pojazdu',
 'P0298': 'Za wysoka temperatura oleju silnikowego',
 'P0300': 'Wykryto wypadanie zapłonów - losowe/w wielu cylindrach',
 'P0313': 'Wykryto wypadanie zapłonów przy niskim poziomie paliwa',
 'P0314': 'Wypadanie zapłonów w jednym cylindrze (cylinder nieokreślony)',
 'P0316': 'Wykryto wypadanie zapłonów podczas rozruchu (pierwsze 1000 obrotów)',
 'P0324': 'Układ regulacji spalania stukowego - błąd',
 'P0350': 'Cewka zapłonowa - usterka obwodu pierwotnego/wtórnego',
 'P0363': 'Wykryto wypadanie zapłonów - odcięto zasilanie paliwem',
 'P0400': 'Układ recyrkulacji spalin (EGR) - usterka przepływu',
 'P0401': 'Układ recyrkulacji spalin (EGR) - za mały przepływ',
 'P0402': 'Układ recyrkulacji spalin (EGR) - za duży przepływ',
 'P0420': 'Sprawność katalizatora poniżej progu (rząd 1)',
 'P0421': 'Sprawność katalizatora po rozgrzaniu poniżej progu (rząd 1)',
 'P0430': 'Sprawność katalizatora poniżej progu (rząd 2)',
 'P0431': 'Sprawność katalizatora po rozgrzaniu poniżej progu (rząd 2)',
 'P0440': 'Układ kontroli emisji par paliwa (EVAP) - usterka',
 'P0441': 'Układ kontroli emisji par paliwa (EVAP) - nieprawidłowy przepływ przedmuchu',
 'P0442': 'Układ kontroli emisji par paliwa (EVAP) - wykryto mały wyciek',
 'P0455': 'Układ kontroli emisji par paliwa (EVAP) - wykryto duży wyciek',
 'P0456': 'Układ kontroli emisji par paliwa (EVAP) - wykryto bardzo mały wyciek',
 'P0500': 'Czujnik prędkości pojazdu "A" - usterka',
 'P0230': 'Pompa paliwa - usterka obwodu pierwotnego',
 'P0231': 'Pompa paliwa - niski sygnał w obwodzie wtórnym',
 'P0232': 'Pompa paliwa - wysoki sygnał w obwodzie wtórnym',
 'P0233': 'Pompa paliwa - przerywany sygnał w obwodzie wtórnym',
 'P0560': 'Napięcie zasilania - usterka',
 'P0562': 'Napięcie zasilania - za niskie',
 'P0563': 'Napięcie zasilania - za wysokie',
 'P0600': 'Łącze komunikacji szeregowej - usterka',
 'P0601': 'Sterownik silnika - błąd sumy kontrolnej pamięci',
 'P0602': 'Sterownik silnika - błąd programowania',
 'P0603': 'Sterownik silnika - błąd pamięci podtrzymywanej (KAM)',
 'P0604': 'Sterownik silnika - błąd pamięci RAM',
 'P0605': 'Sterownik silnika - błąd pamięci ROM',
 'P0606': 'Procesor sterownika silnika - usterka',
}
for n in range(1, 13):
    special[f'P03{n:02d}'] = f'Wykryto wypadanie zapłonów - cylinder {n}'
letters = 'ABCDEFGHIJKL'
for i, l in enumerate(letters):
    special[f'P03{51+i}'] = f'Cewka zapłonowa "{l}" - usterka obwodu pierwotnego/wtórnego'


comp.update({
 'Secondary Air Injection System Control "A"': 'Układ powietrza wtórnego "A" - sterowanie',
 'Secondary Air Injection System Control "B"': 'Układ powietrza wtórnego "B" - sterowanie',
 'Secondary Air Injection System Switching Valve "A"': 'Zawór przełączający układu powietrza wtórnego "A"',
 'Secondary Air Injection System Switching Valve "B"': 'Zawór przełączający układu powietrza wtórnego "B"',
 'Catalyst Temperature Sensor': 'Czujnik temperatury katalizatora',
 'Catalyst Heater Control': 'Podgrzewacz katalizatora - sterowanie',
 'Evaporative Emission Control System Pressure Sensor/Switch': 'Czujnik/włącznik ciśnienia układu EVAP',
 'EVAP Purge Flow Sensor': 'Czujnik przepływu przedmuchu układu EVAP',
 'Exhaust Pressure Sensor': 'Czujnik ciśnienia spalin',
 'Exhaust Pressure Control Valve': 'Zawór regulacji ciśnienia spalin',
 'Vehicle Speed Sensor "A"': 'Czujnik prędkości pojazdu "A"',
 'Idle Air Control': 'Sterowanie powietrzem biegu jałowego',
 'Battery Temperature Sensor': 'Czujnik temperatury akumulatora',
 'A/C Refrigerant Pressure Sensor "A"': 'Czujnik ciśnienia czynnika klimatyzacji "A"',
 'A/C Evaporator Temperature Sensor': 'Czujnik temperatury parownika klimatyzacji',
 'Intake Air Heater "A"': 'Podgrzewacz powietrza dolotowego "A"',
 'Intake Air Heater Control': 'Podgrzewacz powietrza dolotowego - sterowanie',
 'Exhaust Gas Temperature Sensor': 'Czujnik temperatury spalin',
 'Power Steering Pressure Sensor/Switch': 'Czujnik/włącznik ciśnienia wspomagania kierownicy',
 'Brake Booster Pressure Sensor': 'Czujnik ciśnienia w serwomechanizmie hamulca',
 'Cruise Control/Brake Switch "A"': 'Włącznik hamulca tempomatu "A"',
 'Cruise Control Multi-Function Input "A"': 'Wielofunkcyjne wejście tempomatu "A"',
 'Cruise Control Multi-Function Input "B"': 'Wielofunkcyjne wejście tempomatu "B"',
 'Cruise Control Servo Control': 'Siłownik tempomatu - sterowanie',
 'Thermostat Heater Control': 'Grzałka termostatu - sterowanie',
 'Generator Control': 'Alternator - sterowanie',
 'Generator Lamp Control': 'Lampka ładowania - sterowanie',
 'Fuel Pump "A" Control': 'Pompa paliwa "A" - sterowanie',
 'Fuel Pump "B" Control': 'Pompa paliwa "B" - sterowanie',
 'Power Steering Control': 'Wspomaganie kierownicy - sterowanie',
 'Sensor Reference Voltage "A"': 'Napięcie odniesienia czujników "A"',
 'Sensor Reference Voltage "B"': 'Napięcie odniesienia czujników "B"',
 'A/C Clutch Relay Control': 'Przekaźnik sprzęgła sprężarki klimatyzacji - sterowanie',
 'Malfunction Indicator Lamp (MIL) Control': 'Lampka kontrolna silnika (MIL) - sterowanie',
 'Immobilizer Lamp Control': 'Lampka immobilizera - sterowanie',
 'Fuel Level Sensor "A"': 'Czujnik poziomu paliwa "A"',
 'Fuel Level Sensor "B"': 'Czujnik poziomu paliwa "B"',
})
for n in (1, 2, 3):
    comp[f'Cooling Fan {n} Control'] = f'Wentylator chłodnicy {n} - sterowanie'
cond.update({
 'Circuit Open': 'przerwa w obwodzie',
 'Circuit /Open': 'przerwa w obwodzie',
 'Circuit Shorted': 'zwarcie w obwodzie',
})
special.update({
 'P0411': 'Układ wtrysku powietrza wtórnego - wykryto nieprawidłowy przepływ',
 'P0491': 'Układ wtrysku powietrza wtórnego - niewystarczający przepływ',
 'P0492': 'Układ wtrysku powietrza wtórnego - niewystarczający przepływ',
 'P0422': 'Sprawność głównego katalizatora poniżej progu (rząd 1)',
 'P0432': 'Sprawność głównego katalizatora poniżej progu (rząd 2)',
 'P0423': 'Sprawność podgrzewanego katalizatora poniżej progu (rząd 1)',
 'P0433': 'Sprawność podgrzewanego katalizatora poniżej progu (rząd 2)',
 'P0424': 'Temperatura podgrzewanego katalizatora poniżej progu (rząd 1)',
 'P0434': 'Temperatura podgrzewanego katalizatora poniżej progu (rząd 2)',
 'P0457': 'Układ kontroli emisji par paliwa (EVAP) - wykryto wyciek (poluzowany lub brak korka wlewu paliwa)',
 'P0496': 'Układ kontroli emisji par paliwa (EVAP) - za duży przepływ przedmuchu',
 'P0497': 'Układ kontroli emisji par paliwa (EVAP) - za mały przepływ przedmuchu',
 'P0505': 'Układ sterowania powietrzem biegu jałowego - usterka',
 'P0506': 'Układ sterowania powietrzem biegu jałowego - obroty niższe od oczekiwanych',
 'P0507': 'Układ sterowania powietrzem biegu jałowego - obroty wyższe od oczekiwanych',
 'P0510': 'Włącznik położenia zamkniętej przepustnicy - usterka',
 'P0513': 'Nieprawidłowy kluczyk immobilizera',
 'P0524': 'Za niskie ciśnienie oleju silnikowego',
 'P0534': 'Ubytek czynnika chłodniczego klimatyzacji',
 'P0561': 'Niestabilne napięcie zasilania',
 'P0607': 'Sterownik - nieprawidłowe działanie',
 'P0630': 'Numer VIN niezaprogramowany lub niezgodny - sterownik silnika',
 'P0633': 'Kluczyk immobilizera niezaprogramowany - sterownik silnika',
 'P0634': 'Za wysoka temperatura wewnętrzna sterownika',
})

comp.update({
 'Transmission Range Sensor': 'Czujnik zakresu skrzyni biegów',
 'Transmission Fluid Temperature Sensor "A"': 'Czujnik temperatury oleju skrzyni biegów "A"',
 'Input/Turbine Speed Sensor "A"': 'Czujnik prędkości wałka wejściowego/turbiny "A"',
 'Output Speed Sensor': 'Czujnik prędkości wałka wyjściowego',
 'Torque Converter Clutch': 'Sprzęgło blokady przemiennika momentu',
 'Transmission Control System': 'Układ sterowania skrzynią biegów',
})
for l in 'ABC':
    comp[f'Pressure Control Solenoid "{l}"'] = f'Elektrozawór regulacji ciśnienia "{l}"'
    comp[f'Pressure Control Solenoid "{l}" Control'] = f'Elektrozawór regulacji ciśnienia "{l}" - sterowanie'
for l in 'ABCDEF':
    comp[f'Shift Solenoid "{l}"'] = f'Elektrozawór zmiany biegów "{l}"'
    comp[f'Shift Solenoid "{l}" Control'] = f'Elektrozawór zmiany biegów "{l}" - sterowanie'
for k in ('Performance or Stuck Off', 'Performance or Stuck off', 'Circuit Performance or Stuck Off'):
    cond[k] = 'nieprawidłowe działanie lub zablokowanie w stanie wyłączonym'
for k in ('Stuck On', 'Circuit Stuck On'):
    cond[k] = 'zablokowanie w stanie włączonym'
for k in ('Electrical', 'Circuit Electrical'):
    cond[k] = 'usterka elektryczna'
qual.insert(0, (r' \(PRNDL Input\)$', r' (wejście PRNDL)'))
special['P0700'] = 'Układ sterowania skrzynią biegów - żądanie zapalenia lampki MIL'
for bank, base in ((1, 0x10), (2, 0x20)):
    for shaft, offset in (('A', 0), ('B', 3)):
        see = lambda n: '' if shaft == 'A' or (bank == 1 and n == 0) else f' - patrz kod P00{base + n:02X}'
        special[f'P00{base + offset:02X}'] = f'Nastawnik położenia wałka rozrządu "{shaft}" - usterka obwodu (rząd {bank})' + see(0)
        special[f'P00{base + offset + 1:02X}'] = (f'Położenie wałka rozrządu "{shaft}" - zbyt duże wyprzedzenie faz rozrządu '
                                                  f'lub nieprawidłowe działanie układu (rząd {bank})') + see(1)
        special[f'P00{base + offset + 2:02X}'] = f'Położenie wałka rozrządu "{shaft}" - zbyt duże opóźnienie faz rozrządu (rząd {bank})' + see(2)

CONTROL = ' - sterowanie'
def controlled(phrase):
    if phrase.startswith('sygnał poza zakresem'):
        return phrase.replace('sygnał poza zakresem', 'sygnał w obwodzie sterowania poza zakresem')
    return (phrase.replace('obwodzie', 'obwodzie sterowania').replace('obwodu', 'obwodu sterowania')
            if 'obwod' in phrase else phrase + ' w obwodzie sterowania' if phrase.startswith(('niski', 'wysoki')) else 'obwód sterowania - ' + phrase)

def translate(code, text):
    if code in special:
        return special[code]
    if text.startswith('Reserved'):
        return None
    tail = ''
    for pat, rep in qual:
        m = re.search(pat, text)
        if m:
            tail = m.expand(rep)
            text = text[:m.start()]
            break
    for c in sorted(comp, key=len, reverse=True):
        if text.startswith(c + ' ') or text == c:
            rest = text[len(c):].strip()
            if rest == '':
                return None
            if rest in cond:
                base, phrase = comp[c], cond[rest]
                if base.endswith(CONTROL):
                    base, phrase = base[:-len(CONTROL)], controlled(phrase)
                return base + ' - ' + phrase + tail
    # "Cylinder N Contribution/Balance Fault"
    m = re.fullmatch(r'Gear (\d) Incorrect Ratio', text)
    if m:
        return f'Nieprawidłowe przełożenie biegu {m.group(1)}'
    m = re.fullmatch(r'Cylinder (\d+) Contribution/Balance Fault', text)
    if m:
        return f'Nierównomierny udział cylindra {m.group(1)} w pracy silnika' + tail
    return None

# Written-out Polish texts for the codes the rules above do not cover: one "CODE<TAB>text" line each, UTF-8.
# A text produced above always wins; these only fill the gaps.
written = {}
for line in open(os.path.join(here, '901-written.tsv'), encoding='utf-8').read().splitlines():
    if line.strip():
        code, text = line.split('\t', 1)
        if code in written:
            raise SystemExit(f'901-written.tsv: {code} given twice')
        if code not in en:
            raise SystemExit(f'901-written.tsv: {code} is not a generic P code of table 900')
        written[code] = text.strip()

out = []
for code in sorted(en):
    pl = translate(code, en[code]) or written.get(code)
    if pl:
        out.append(f'{code} {pl}')
print(len(out), 'of', len(en), 'P codes described')
data = '\r\n'.join(out).encode('cp1250')
open(os.path.join(here, '901.txt'), 'wb').write(data)
