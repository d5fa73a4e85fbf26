SELECT Hierarchy.NodeName, Notes.Version, 
       SUM(Notes.Downloads)
FROM "Hierarchy.db" Hierarchy
      INNER JOIN "Notes.db" Notes ON 
     (Notes.NodeID = Hierarchy.NodeID)
WHERE (( UPPER(Notes.Summary) LIKE "%FIX%" ) OR 
      ( Notes.Version = "2.1" ))
GROUP BY Hierarchy.NodeName, Notes.Version
ORDER BY Notes.Version DESC