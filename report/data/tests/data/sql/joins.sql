-- dtAdvantage sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      LEFT OUTER JOIN "Maintainers" Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
     , "Packages.db" Packages
WHERE (Packages.NodeID = Tree.NodeID)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtAdvantage sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      *= debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
     , "Packages.db" Packages
WHERE (Packages.NodeID = Tree.NodeID)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtAdvantage sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      LEFT OUTER JOIN debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
     , "Packages.db" Packages
WHERE (Packages.NodeID = Tree.NodeID)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtInterBase sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN "Maintainers" Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtInterBase sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtInterBase sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtMSAccess sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Packages.[Installed Size], 
       Maintainers_2.Name, Tree.[Date]
FROM (("Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID) )
      LEFT OUTER JOIN "Maintainers" Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package) )
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtMSAccess sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Packages.[Installed Size], 
       Maintainers_2.Name, Tree.[Date]
FROM (([Hierarchy.db] Tree
      INNER JOIN [Packages.db] Packages ON 
     (Packages.NodeID = Tree.NodeID) )
      LEFT OUTER JOIN debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package) )
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtMSAccess sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Packages.[Installed Size], 
       Maintainers_2.Name, Tree.[Date]
FROM (([Hierarchy.db] Tree
      INNER JOIN [Packages.db] Packages ON 
     (Packages.NodeID = Tree.NodeID) )
      LEFT OUTER JOIN debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package) )
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtMSSQLServer sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree.Date
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN "Maintainers" Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtMSSQLServer sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree.Date
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtMSSQLServer sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree.Date
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtSybaseASE sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree.Date
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN "Maintainers" Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtSybaseASE sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree.Date
FROM "Hierarchy.db" Tree, "Packages.db" Packages
     , debian.Maintainers Maintainers_2
WHERE (Packages.NodeID = Tree.NodeID) AND 
      (Maintainers_2.NodeID *= Tree.NodeID)
       AND (Maintainers_2.Name *>= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtSybaseASE sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree.Date
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtSybaseASA sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN "Maintainers" Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtSybaseASA sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtSybaseASA sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtOracle sqBDELocal
SELECT Tree.NodeName, Packages."Package", 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN "Maintainers" Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages."Package")
ORDER BY Packages."Package" DESC, Tree.NodeName

-- dtOracle sqSQL1
SELECT Tree.NodeName, Packages."Package", 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree, "Packages.db" Packages
     , debian.Maintainers Maintainers_2
WHERE (Packages.NodeID = Tree.NodeID) AND 
      (Maintainers_2.NodeID (+) = Tree.NodeID)
       AND (Maintainers_2.Name (+) >= Packages."Package")
ORDER BY Packages."Package" DESC, Tree.NodeName

-- dtOracle sqSQL2
SELECT Tree.NodeName, Packages."Package", 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages."Package")
ORDER BY Packages."Package" DESC, Tree.NodeName

-- dtParadox sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN "Maintainers" Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtParadox sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtParadox sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtDBISAM sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN "Maintainers" Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtDBISAM sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtDBISAM sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtOther sqBDELocal
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN "Maintainers" Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtOther sqSQL1
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

-- dtOther sqSQL2
SELECT Tree.NodeName, Packages.Package, 
       Packages."Installed Size", 
       Maintainers_2.Name, Tree."Date"
FROM "Hierarchy.db" Tree
      INNER JOIN "Packages.db" Packages ON 
     (Packages.NodeID = Tree.NodeID)
      LEFT OUTER JOIN debian.Maintainers Maintainers_2 ON 
     (Maintainers_2.NodeID = Tree.NodeID)
      AND (Maintainers_2.Name >= Packages.Package)
ORDER BY Packages.Package DESC, Tree.NodeName

