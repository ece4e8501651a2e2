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
			760.0,
			520.0
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
		"description": "morv.centroid~: spectral centroid inside pfft~",
		"digest": "Spectral centroid inside pfft~",
		"boxes": [
			{
				"box": {
					"id": "obj-1",
					"maxclass": "jsui",
					"filename": "helpdetails.js",
					"jsarguments": [
						"morv.centroid~"
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
						80
					],
					"text": "The centroid is the centre of gravity of the spectrum: a bright sound has a high centroid, a dull one a low centroid. morv.centroid~ needs the bins of a frame, which only pfft~ delivers: pfft~ cuts the signal into overlapping windowed frames, transforms each, and runs its subpatcher once per frame with the bins as a signal vector. Outside pfft~ the object computes nothing.",
					"linecount": 4
				}
			},
			{
				"box": {
					"id": "obj-4",
					"maxclass": "ezdac~",
					"numinlets": 2,
					"numoutlets": 0,
					"patching_rect": [
						620,
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
						175,
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
						175,
						130,
						22
					],
					"text": "sine frequency, Hz"
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
						205,
						86,
						22
					],
					"outlettype": [
						"signal"
					],
					"text": "cycle~ 440"
				}
			},
			{
				"box": {
					"id": "obj-8",
					"maxclass": "newobj",
					"numinlets": 1,
					"numoutlets": 1,
					"patching_rect": [
						120,
						205,
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
					"numinlets": 1,
					"numoutlets": 1,
					"patching_rect": [
						190,
						205,
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
					"id": "obj-10",
					"maxclass": "message",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						280,
						175,
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
					"id": "obj-11",
					"maxclass": "message",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						310,
						175,
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
					"id": "obj-12",
					"maxclass": "message",
					"numinlets": 2,
					"numoutlets": 1,
					"patching_rect": [
						340,
						175,
						40,
						22
					],
					"outlettype": [
						""
					],
					"text": "3"
				}
			},
			{
				"box": {
					"id": "obj-13",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						370,
						175,
						240,
						22
					],
					"text": "input: 1 sine, 2 noise, 3 sound card"
				}
			},
			{
				"box": {
					"id": "obj-14",
					"maxclass": "newobj",
					"numinlets": 4,
					"numoutlets": 1,
					"patching_rect": [
						20,
						245,
						110,
						22
					],
					"outlettype": [
						"signal"
					],
					"text": "selector~ 3 1"
				}
			},
			{
				"box": {
					"id": "obj-15",
					"maxclass": "newobj",
					"numinlets": 1,
					"numoutlets": 2,
					"patching_rect": [
						20,
						290,
						220,
						22
					],
					"outlettype": [
						"",
						""
					],
					"text": "pfft~ morv.centroid.pfft 1024 4"
				}
			},
			{
				"box": {
					"id": "obj-16",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						250,
						290,
						330,
						36
					],
					"text": "FFT size 1024, overlap 4. Double-click pfft~ to see both ways of wiring the object.",
					"linecount": 2
				}
			},
			{
				"box": {
					"id": "obj-17",
					"maxclass": "flonum",
					"numinlets": 1,
					"numoutlets": 2,
					"patching_rect": [
						20,
						335,
						80,
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
					"id": "obj-18",
					"maxclass": "flonum",
					"numinlets": 1,
					"numoutlets": 2,
					"patching_rect": [
						160,
						335,
						80,
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
					"id": "obj-19",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						20,
						360,
						130,
						50
					],
					"text": "centroid from the real and imaginary parts (power), Hz",
					"linecount": 2
				}
			},
			{
				"box": {
					"id": "obj-20",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						160,
						360,
						130,
						36
					],
					"text": "centroid from the amplitude alone, Hz",
					"linecount": 2
				}
			},
			{
				"box": {
					"id": "obj-21",
					"maxclass": "comment",
					"numinlets": 1,
					"numoutlets": 0,
					"patching_rect": [
						300,
						335,
						280,
						36
					],
					"text": "A sine shows its own frequency; white noise lies near a quarter of the sample rate; silence gives 0.",
					"linecount": 2
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
						"obj-10",
						0
					],
					"destination": [
						"obj-14",
						0
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
						"obj-14",
						0
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
						"obj-14",
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
						"obj-14",
						1
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
						"obj-14",
						2
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
						"obj-14",
						3
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-14",
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
						"obj-15",
						0
					],
					"destination": [
						"obj-17",
						0
					]
				}
			},
			{
				"patchline": {
					"source": [
						"obj-15",
						1
					],
					"destination": [
						"obj-18",
						0
					]
				}
			}
		]
	}
}
