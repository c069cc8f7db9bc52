/*
 * oak: a floor of light oak planks, solid wood carved out of shader space.
 *
 * The planks run along the shader-space z axis, plankwidth wide and
 * planklength long, their ends staggered from column to column. Each plank
 * is cut from its own log: the growth rings circle an axis parallel to z,
 * placed below the surface at a different spot for every plank, and noise
 * warps them so that no ring is a perfect circle. Fine open-pore grain
 * streaks run along the planks. Rings, pores and the joints between planks
 * fade to their average where they would be finer than a pixel (filter
 * width), so distant floor does not shimmer. Lit like plastic.
 *
 * Parameters (the frames pass none):
 *   Ka, Kd, Ks    ambient, diffuse and specular weights    (0.3, 0.75, 0.2)
 *   roughness     size of the highlights                   (0.2)
 *   specularcolor colour of the highlights                 (white)
 *   lightwood     colour of the early wood between rings   (0.76, 0.57, 0.34)
 *   darkwood      colour of the late wood of each ring     (0.58, 0.38, 0.19)
 *   ringscale     rings per unit of distance from the log's axis  (7)
 *   latewidth     share of each ring that is dark late wood, 0-1  (0.35)
 *   warp          how far noise shifts the rings, in shader units (0.25)
 *   warpfreq      frequency of that noise                         (0.7)
 *   grainscale    frequency of the pores across the planks        (60)
 *   graindepth    how much darker a pore is, 0 to 1               (0.25)
 *   plankwidth    width of a plank; 0 gives one solid block       (0.8)
 *   planklength   length of a plank                               (6)
 *   groovewidth   width of the dark joint between planks          (0.012)
 *   plankvary     how much planks differ in shade, 0 to 1         (0.25)
 */

/* How much late wood lies in [0, t], the dark band of each ring running
   from fraction lo to 1 of the period: the integral of the ring profile. */
float latewood(float t, lo)
{
    float whole = floor(t);
    return whole * (1 - lo) + max(0, t - whole - lo);
}

/* Box-filtered ring profile: the share of late wood over [x - w/2, x + w/2]. */
float ringcoverage(float x, w, lo)
{
    float cover;
    if (w < 1e-6)
        cover = step(lo, x - floor(x));
    else
        cover = (latewood(x + w / 2, lo) - latewood(x - w / 2, lo)) / w;
    return cover;
}

surface oak(
    float Ka = 0.3;
    float Kd = 0.75;
    float Ks = 0.2;
    float roughness = 0.2;
    color specularcolor = 1;
    color lightwood = color(0.76, 0.57, 0.34);
    color darkwood = color(0.58, 0.38, 0.19);
    float ringscale = 7;
    float latewidth = 0.35;
    float warp = 0.25;
    float warpfreq = 0.7;
    float grainscale = 60;
    float graindepth = 0.25;
    float plankwidth = 0.8;
    float planklength = 6;
    float groovewidth = 0.012;
    float plankvary = 0.25;)
{
    point PP = transform("shader", P);
    float fw = sqrt(area(PP));
    float x = xcomp(PP), y = ycomp(PP), z = zcomp(PP);

    /* Which plank: columns across x, rows along z staggered per column. */
    float column = 0, row = 0, across = x, along = z, joint = 1;
    if (plankwidth > 0) {
        column = floor(x / plankwidth);
        across = x - (column + 0.5) * plankwidth;
        float stagger = float cellnoise(column, 7.3) * planklength;
        row = floor((z + stagger) / planklength);
        along = z + stagger - (row + 0.5) * planklength;
        /* 1 inside a plank, 0 on a joint; far away the joints blur into a
           uniform darkening by the share of floor they cover. */
        float gw = max(groovewidth, 1e-4);
        float edge = min(plankwidth / 2 - abs(across), planklength / 2 - abs(along));
        joint = smoothstep(0, gw + fw, edge);
        joint = mix(joint, 1 - 2 * gw / plankwidth, smoothstep(0.1, 0.4, fw / plankwidth));
    }

    /* The log's axis lies below the plank, off to one side. */
    point seed = point(column + 0.5, row + 0.5, 3.7);
    float ax = (float cellnoise(seed) - 0.5) * plankwidth * 1.5;
    float ay = -0.3 - 1.2 * float cellnoise(seed + vector(11, 0, 0));
    point L = point(across - ax, y - ay, along);
    point warpAt = L * warpfreq + vector(column * 13.1, row * 7.7, 0);
    L += 2 * warp * (vector noise(warpAt) - vector(0.5, 0.5, 0.5));
    float r = sqrt(xcomp(L) * xcomp(L) + ycomp(L) * ycomp(L));
    float rings = ringcoverage(r * ringscale, fw * ringscale, 1 - latewidth);

    /* Pores: thin dark streaks stretched along the grain. */
    float pores = 0;
    float grainfade = 1 - smoothstep(0.25, 0.6, fw * grainscale);
    if (grainfade > 0) {
        float g = noise(point(across * grainscale, y * grainscale, along * grainscale / 20));
        pores = grainfade * smoothstep(0.6, 0.75, g);
    }

    float shade = 1 + plankvary * (float cellnoise(seed + vector(0, 5, 0)) - 0.5);
    color wood = mix(lightwood, darkwood, rings) * shade * (1 - graindepth * pores);
    wood *= mix(0.35, 1, joint);

    normal Nf = faceforward(normalize(N), I);
    vector V = -normalize(I);
    Oi = Os;
    Ci = Os * (wood * (Ka * ambient() + Kd * diffuse(Nf))
               + specularcolor * Ks * joint * specular(Nf, V, roughness));
}
