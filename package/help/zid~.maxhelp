{
	"patcher": {
		"fileversion": 1,
		"appversion": {
			"major": 8,
			"minor": 2,
			"revision": 0,
			"architecture": "x64",
			"modernui": 1
		},
		"classnamespace": "box",
		"rect": [
			100.0,
			100.0,
			860.0,
			760.0
		],
		"bglocked": 0,
		"openinpresentation": 0,
		"default_fontsize": 12.0,
		"default_fontface": 0,
		"default_fontname": "Arial",
		"gridonopen": 1,
		"gridsize": [
			15.0,
			15.0
		],
		"description": "zid~: pitch, amplitude and periodicity",
		"digest": "Pitch, amplitude and periodicity (YIN)",
		"boxes": [
			{
				"box": {
					"id": "obj-1",
					"maxclass": "jsui",
					"filename": "helpdetails.js",
					"jsarguments": [
						"zid~"
					],
					"border": 0,
					"ignoreclick": 1,
					"numinlets": 1,
					"numoutlets": 1,
					"outlettype": [
						""
					],
					"parameter_enable": 0,
					"patching_rect": [
						20,
						15,
						560,
						57
					]
				}
			},
			{
				"box": {
					"id": "obj-3",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						20,
						80,
						560,
						36
					],
					"text": "1. Click the speaker to turn audio on. The test signal is a sine (set its frequency) mixed with a little noise; click 2 to analyse the first input of your sound card instead.",
					"linecount": 2
				}
			},
			{
				"box": {
					"id": "obj-4",
					"maxclass": "ezdac~",
					"numinlets": 2,
					"numoutlets": 0,
					"patching_rect": [
						600,
						80,
						45,
						45
					],
					"local": 1
				}
			},
			{
				"box": {
					"id": "obj-5",
					"maxclass": "flonum",
					"numinlets": 1,
					"numoutlets": 2,
					"patching_rect": [
						20,
						130,
						60,
						22
					],
					"outlettype": [
						"",
						"bang"
					],
					"format": 6
				}
			},
			{
				"box": {
					"id": "obj-6",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						85,
						130,
						130,
						22
					],
					"text": "test frequency, Hz"
				}
			},
			{
				"box": {
					"id": "obj-7",
					"maxclass": "newobj",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						20,
						160,
						86,
						22
					],
					"outlettype": [
						"signal"
					],
					"text": "cycle~ 220"
				}
			},
			{
				"box": {
					"id": "obj-8",
					"maxclass": "newobj",
					"numinlets": 1,
					"numoutlets": 1,
					"patching_rect": [
						130,
						160,
						58,
						22
					],
					"outlettype": [
						"signal"
					],
					"text": "noise~"
				}
			},
			{
				"box": {
					"id": "obj-9",
					"maxclass": "newobj",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						130,
						190,
						65,
						22
					],
					"outlettype": [
						"signal"
					],
					"text": "*~ 0.05"
				}
			},
			{
				"box": {
					"id": "obj-10",
					"maxclass": "newobj",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						20,
						220,
						40,
						22
					],
					"outlettype": [
						"signal"
					],
					"text": "+~"
				}
			},
			{
				"box": {
					"id": "obj-11",
					"maxclass": "newobj",
					"numinlets": 1,
					"numoutlets": 1,
					"patching_rect": [
						230,
						190,
						58,
						22
					],
					"outlettype": [
						"signal"
					],
					"text": "adc~ 1"
				}
			},
			{
				"box": {
					"id": "obj-12",
					"maxclass": "message",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						300,
						160,
						40,
						22
					],
					"outlettype": [
						""
					],
					"text": "1"
				}
			},
			{
				"box": {
					"id": "obj-13",
					"maxclass": "message",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						330,
						160,
						40,
						22
					],
					"outlettype": [
						""
					],
					"text": "2"
				}
			},
			{
				"box": {
					"id": "obj-14",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						360,
						160,
						280,
						22
					],
					"text": "choose the input: 1 test signal, 2 sound card"
				}
			},
			{
				"box": {
					"id": "obj-15",
					"maxclass": "newobj",
					"numinlets": 3,
					"numoutlets": 1,
					"patching_rect": [
						20,
						260,
						110,
						22
					],
					"outlettype": [
						"signal"
					],
					"text": "selector~ 2 1"
				}
			},
			{
				"box": {
					"id": "obj-16",
					"maxclass": "message",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						180,
						300,
						44,
						22
					],
					"outlettype": [
						""
					],
					"text": "bang"
				}
			},
			{
				"box": {
					"id": "obj-17",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						290,
						300,
						300,
						36
					],
					"text": "analyse now (at the next hop)",
					"linecount": 2
				}
			},
			{
				"box": {
					"id": "obj-18",
					"maxclass": "message",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						180,
						340,
						107,
						22
					],
					"outlettype": [
						""
					],
					"text": "threshold 0.2"
				}
			},
			{
				"box": {
					"id": "obj-19",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						290,
						340,
						300,
						36
					],
					"text": "YIN threshold, 0 to 1 (default 0.1): higher accepts an earlier, shallower dip",
					"linecount": 2
				}
			},
			{
				"box": {
					"id": "obj-20",
					"maxclass": "message",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						180,
						380,
						72,
						22
					],
					"outlettype": [
						""
					],
					"text": "active 0"
				}
			},
			{
				"box": {
					"id": "obj-21",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						290,
						380,
						300,
						36
					],
					"text": "pause: nothing is buffered or analysed",
					"linecount": 2
				}
			},
			{
				"box": {
					"id": "obj-22",
					"maxclass": "message",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						180,
						420,
						72,
						22
					],
					"outlettype": [
						""
					],
					"text": "active 1"
				}
			},
			{
				"box": {
					"id": "obj-23",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						290,
						420,
						300,
						36
					],
					"text": "resume",
					"linecount": 2
				}
			},
			{
				"box": {
					"id": "obj-24",
					"maxclass": "message",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						180,
						460,
						58,
						22
					],
					"outlettype": [
						""
					],
					"text": "down 1"
				}
			},
			{
				"box": {
					"id": "obj-25",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						290,
						460,
						300,
						36
					],
					"text": "attribute down, 0 to 3 (default 2): decimate the input by 2^down; lower is finer and costs more",
					"linecount": 2
				}
			},
			{
				"box": {
					"id": "obj-26",
					"maxclass": "message",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						180,
						500,
						86,
						22
					],
					"outlettype": [
						""
					],
					"text": "minfreq 80"
				}
			},
			{
				"box": {
					"id": "obj-27",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						290,
						500,
						300,
						36
					],
					"text": "attribute minfreq, Hz (default 60): the lowest frequency sought; lower costs more and reacts more slowly",
					"linecount": 2
				}
			},
			{
				"box": {
					"id": "obj-28",
					"maxclass": "message",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						180,
						540,
						79,
						22
					],
					"outlettype": [
						""
					],
					"text": "period 10"
				}
			},
			{
				"box": {
					"id": "obj-29",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						290,
						540,
						300,
						36
					],
					"text": "attribute period, ms, 0 to 250 (default 5): time between analyses",
					"linecount": 2
				}
			},
			{
				"box": {
					"id": "obj-30",
					"maxclass": "newobj",
					"numinlets": 1,
					"numoutlets": 3,
					"patching_rect": [
						20,
						600,
						150,
						22
					],
					"outlettype": [
						"float",
						"float",
						"float"
					],
					"text": "zid~"
				}
			},
			{
				"box": {
					"id": "obj-31",
					"maxclass": "flonum",
					"numinlets": 1,
					"numoutlets": 2,
					"patching_rect": [
						20,
						640,
						70,
						22
					],
					"outlettype": [
						"",
						"bang"
					],
					"format": 6
				}
			},
			{
				"box": {
					"id": "obj-32",
					"maxclass": "flonum",
					"numinlets": 1,
					"numoutlets": 2,
					"patching_rect": [
						100,
						640,
						70,
						22
					],
					"outlettype": [
						"",
						"bang"
					],
					"format": 6
				}
			},
			{
				"box": {
					"id": "obj-33",
					"maxclass": "flonum",
					"numinlets": 1,
					"numoutlets": 2,
					"patching_rect": [
						180,
						640,
						70,
						22
					],
					"outlettype": [
						"",
						"bang"
					],
					"format": 6
				}
			},
			{
				"box": {
					"id": "obj-34",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						20,
						665,
						80,
						36
					],
					"text": "frequency, Hz",
					"linecount": 2
				}
			},
			{
				"box": {
					"id": "obj-35",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						100,
						665,
						80,
						36
					],
					"text": "RMS amplitude, linear",
					"linecount": 2
				}
			},
			{
				"box": {
					"id": "obj-36",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						180,
						665,
						80,
						36
					],
					"text": "periodicity, 0 to 1",
					"linecount": 2
				}
			},
			{
				"box": {
					"id": "obj-37",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						270,
						640,
						300,
						80
					],
					"text": "Periodicity tells how well the signal repeats at the period found: near 1 for a clean tone, near 0 for noise or silence. Trust the frequency only when periodicity is high. The three numbers come out right to left, after every analysis; nothing comes out before the first one.",
					"linecount": 4
				}
			},
			{
				"box": {
					"id": "obj-38",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						600,
						300,
						240,
						36
					],
					"text": "Analyses on demand: with period 0, zid~ analyses only when it gets bang.",
					"linecount": 2
				}
			},
			{
				"box": {
					"id": "obj-39",
					"maxclass": "message",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						600,
						345,
						72,
						22
					],
					"outlettype": [
						""
					],
					"text": "period 0"
				}
			},
			{
				"box": {
					"id": "obj-40",
					"maxclass": "message",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						675,
						345,
						44,
						22
					],
					"outlettype": [
						""
					],
					"text": "bang"
				}
			},
			{
				"box": {
					"id": "obj-41",
					"maxclass": "message",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						730,
						345,
						72,
						22
					],
					"outlettype": [
						""
					],
					"text": "period 5"
				}
			},
			{
				"box": {
					"id": "obj-42",
					"maxclass": "newobj",
					"numinlets": 1,
					"numoutlets": 3,
					"patching_rect": [
						600,
						380,
						150,
						22
					],
					"outlettype": [
						"float",
						"float",
						"float"
					],
					"text": "zid~ 2 60 0"
				}
			},
			{
				"box": {
					"id": "obj-43",
					"maxclass": "flonum",
					"numinlets": 1,
					"numoutlets": 2,
					"patching_rect": [
						600,
						415,
						70,
						22
					],
					"outlettype": [
						"",
						"bang"
					],
					"format": 6
				}
			},
			{
				"box": {
					"id": "obj-44",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						600,
						450,
						240,
						50
					],
					"text": "Arguments: down, minfreq, period (here 2, 60 and 0). Attribute arguments come last and override them:",
					"linecount": 2
				}
			},
			{
				"box": {
					"id": "obj-45",
					"maxclass": "newobj",
					"numinlets": 1,
					"numoutlets": 3,
					"patching_rect": [
						600,
						505,
						150,
						22
					],
					"outlettype": [
						"float",
						"float",
						"float"
					],
					"text": "zid~ 1 80 @period 10"
				}
			},
			{
				"box": {
					"id": "obj-46",
					"maxclass": "flonum",
					"numinlets": 1,
					"numoutlets": 2,
					"patching_rect": [
						600,
						540,
						70,
						22
					],
					"outlettype": [
						"",
						"bang"
					],
					"format": 6
				}
			}
		],
		"lines": [
			{
				"patchline": {
					"source": [
						"obj-5",
						0
					],
					"destination": [
						"obj-7",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-8",
						0
					],
					"destination": [
						"obj-9",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-7",
						0
					],
					"destination": [
						"obj-10",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-9",
						0
					],
					"destination": [
						"obj-10",
						1
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-12",
						0
					],
					"destination": [
						"obj-15",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-13",
						0
					],
					"destination": [
						"obj-15",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-10",
						0
					],
					"destination": [
						"obj-15",
						1
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-11",
						0
					],
					"destination": [
						"obj-15",
						2
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-15",
						0
					],
					"destination": [
						"obj-30",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-16",
						0
					],
					"destination": [
						"obj-30",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-18",
						0
					],
					"destination": [
						"obj-30",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-20",
						0
					],
					"destination": [
						"obj-30",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-22",
						0
					],
					"destination": [
						"obj-30",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-24",
						0
					],
					"destination": [
						"obj-30",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-26",
						0
					],
					"destination": [
						"obj-30",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-28",
						0
					],
					"destination": [
						"obj-30",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-30",
						0
					],
					"destination": [
						"obj-31",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-30",
						1
					],
					"destination": [
						"obj-32",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-30",
						2
					],
					"destination": [
						"obj-33",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-39",
						0
					],
					"destination": [
						"obj-42",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-40",
						0
					],
					"destination": [
						"obj-42",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-41",
						0
					],
					"destination": [
						"obj-42",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-15",
						0
					],
					"destination": [
						"obj-42",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-42",
						0
					],
					"destination": [
						"obj-43",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-15",
						0
					],
					"destination": [
						"obj-45",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-45",
						0
					],
					"destination": [
						"obj-46",
						0
					]
				}
			}
		]
	}
}
